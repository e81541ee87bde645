#pragma once

// Root of the framework's class tree: it gives every object a virtual destructor and nothing more.
class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject() = default;
};
