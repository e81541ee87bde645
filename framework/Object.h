#pragma once
#include "framework/Types.h"

// Run-time type information of a class: its name and its base class's record. No dynamic creation.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
        for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass) {
            if (p == pBaseClass) return TRUE;
        }
        return FALSE;
    }
};

// Root of the framework's class tree: it gives every object a virtual destructor and run-time
// type information.
class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject() = default;

    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    BOOL IsKindOf(const CRuntimeClass* pClass) const {
        return GetRuntimeClass()->IsDerivedFrom(pClass);
    }
};

inline const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

// In the class body: the class record and its accessor.
#define DECLARE_DYNAMIC(theClass)                    \
public:                                              \
    static const CRuntimeClass class##theClass;      \
    const CRuntimeClass* GetRuntimeClass() const override;

// In one .cpp file: the record, linked to the base class's record.
#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                          \
    const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)}; \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return &theClass::class##theClass; }
