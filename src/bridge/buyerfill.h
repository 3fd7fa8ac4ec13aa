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

// Writes the buyer's name, tax number, "address phone" and "bank account" into
// the open issuing window, HT first, then BW. False when neither variant's fill
// target exists (nothing sent), or when the invoicing program stopped answering
// (a write timed out; the remaining writes are abandoned). Missing field windows
// are skipped and do not make the result false.
bool FillBuyerBlock(const CompanyRecord& buyer);
