module Sketchup
  # Minimal selection set: membership and iteration only.
  class Selection
    include Enumerable

    attr_reader :model

    def initialize(model)
      @model = model
      @items = []
    end

    def add(*entities)
      @model.will_change(self)
      entities.flatten.each { |e| @items << e unless @items.include?(e) }
      @items.size
    end

    def remove(*entities)
      @model.will_change(self)
      entities.flatten.each { |e| @items.delete(e) }
      @items.size
    end

    def toggle(*entities)
      @model.will_change(self)
      entities.flatten.each { |e| @items.include?(e) ? @items.delete(e) : @items << e }
      @items.size
    end

    def clear
      @model.will_change(self)
      @items.clear
      self
    end

    def include?(entity) = @items.include?(entity)
    alias contains? include?

    def each(&block)
      return to_enum(:each) unless block
      @items.dup.each(&block)
      self
    end

    def [](i) = @items[i]
    def first = @items.first
    def to_a = @items.dup
    def length = @items.length
    alias size length
    alias count length
    def empty? = @items.empty?
  end
end
