#pragma once
#include <string>
#include "engine/core/SObjRef.h"

namespace SOUI {

enum { RES_PE = 0, RES_MEM = 1 };

// A source of named resources; type and name are matched without regard to case.
struct IResProvider : IObjRef {
    // RES_PE: (HINSTANCE, 0).
    virtual BOOL Init(WPARAM wp, LPARAM lp) = 0;
    virtual BOOL HasResource(const wchar_t* type, const wchar_t* name) = 0;
    // Whole content; false when absent.
    virtual BOOL GetRawBuffer(const wchar_t* type, const wchar_t* name, std::string& out) = 0;
    // nullptr when absent; the caller destroys the icon.
    virtual HICON LoadIconW(const wchar_t* name, int size) = 0;
};

// type RES_PE: the resources of an executable module; RES_MEM: resources added in memory.
BOOL CreateResProvider(int type, IResProvider** out);

}  // namespace SOUI
