#pragma once
#include <windows.h>

#include <optional>

#include "net/companyrecord.h"

// The four buyer field windows of the open issuing window; a missing one is null.
struct BuyerFields {
    HWND name = nullptr;
    HWND taxNumber = nullptr;
    HWND addressPhone = nullptr;
    HWND bankAccount = nullptr;
};

// Finds the buyer fields, HT first, then BW; nothing when neither fill target exists.
std::optional<BuyerFields> FindBuyerFields();

// How a fill ended.
enum class FillResult {
    Complete,  // every field window that exists got its text
    NoTarget,  // neither variant's fill target exists; nothing was sent
    CutShort,  // a write went unanswered within its bound; the rest were abandoned,
               // so the buyer block may hold a mix of old and new fields
};

// Writes the buyer's name, tax number, "address phone" and "bank account" into
// the open issuing window, HT first, then BW. Missing field windows are skipped
// and still count as complete. Every call searches the windows anew.
FillResult FillBuyerBlock(const CompanyRecord& buyer);
