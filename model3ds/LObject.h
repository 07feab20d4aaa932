#pragma once

#include <string>

// A named object of a loaded model: a mesh, a light or a material.
class LObject {
public:
    virtual ~LObject() = default;
    virtual const std::string& getName() const;
    virtual void setName(const std::string& name);

protected:
    std::string m_name;
};
