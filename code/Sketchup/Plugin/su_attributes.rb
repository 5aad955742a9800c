# Integer attributes, stored as plain Integers in the entity's dictionary.
module QORTA_SU
  def self.setIntAttr(entity, dictionary, key, value)
    entity.set_attribute(dictionary, key, Integer(value))
  end

  def self.getIntAttr(entity, dictionary, key)
    entity.get_attribute(dictionary, key)
  end
end
