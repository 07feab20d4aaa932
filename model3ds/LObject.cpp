#include "model3ds/LObject.h"

const std::string& LObject::getName() const { return m_name; }

void LObject::setName(const std::string& name) { m_name = name; }
