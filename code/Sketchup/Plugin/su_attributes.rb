# Integer attributes, stored as plain Integers in the entity's dictionary.
module QORTA_SU
  def self.setIntAttr(entity, dictionary, key, value)
    entity.set_attribute(dictionary, key, Integer(value))
  end

  # nil for anything that carries no attributes (the extension asks with
  # whatever ended a room's face list).
  def self.getIntAttr(entity, dictionary, key)
    return nil unless entity.respond_to?(:get_attribute)
    entity.get_attribute(dictionary, key)
  end
end
