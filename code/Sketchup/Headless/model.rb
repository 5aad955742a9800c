module Sketchup
  # One open model. Operations are recorded in operation_log, as
  # [:start | :commit | :abort, name] pairs in call order; aborting one puts
  # the model back as it was when the operation started.
  class Model
    include AttributeHost

    attr_reader :entities, :materials, :selection, :operation_log, :active_operation
    attr_accessor :title, :path

    def initialize
      @next_id = 0
      @title = ''
      @path = ''
      @operation_log = []
      @active_operation = nil
      @entities = Entities.new(self)
      @materials = Materials.new(self)
      @selection = Selection.new(self)
    end

    # Entity IDs are unique, increasing integers per model.
    def next_entity_id
      @next_id += 1
    end

    def active_entities = @entities
    def valid? = true

    def bounds
      Geom::BoundingBox.new.tap { |b| @entities.each { |e| b.add(e.bounds) if e.respond_to?(:bounds) } }
    end

    # Starting while another operation is open commits that one first.
    def start_operation(name, disable_ui = false, next_transparent = false, transparent = false)
      _ = [disable_ui, next_transparent, transparent]
      commit_operation if @active_operation
      @active_operation = name.to_s
      @checkpoint = Headless::Checkpoint.new
      @operation_log << [:start, @active_operation]
      true
    end

    # false when no operation is open.
    def commit_operation
      finish_operation(:commit)
    end

    # Undoes every change since start_operation. false when none is open.
    def abort_operation
      return false unless @active_operation
      @checkpoint.roll_back
      finish_operation(:abort)
    end

    # Internal: every change to the model's objects is announced here first,
    # and every new entity, so that an abort can undo them.
    def will_change(obj) = @checkpoint&.keep(obj)
    def made(obj) = @checkpoint&.made(obj)

    def clear_operation_log
      @operation_log.clear
      self
    end

    def inspect
      "#<#{self.class.name}:#{format('0x%x', object_id)}>"
    end

    private

    def finish_operation(event)
      return false unless @active_operation
      @operation_log << [event, @active_operation]
      @active_operation = nil
      @checkpoint = nil
      true
    end
  end

  @active_model = nil

  class << self
    # Created on first use.
    def active_model
      @active_model ||= Model.new
    end

    # Installs a model (or nil, so that the next active_model makes a new one).
    attr_writer :active_model

    # A fresh, empty model that becomes the active one.
    def new_model
      @active_model = Model.new
    end
  end
end
