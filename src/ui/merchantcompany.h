#pragma once
#include <functional>
#include <string>

#include "net/companyrecord.h"

class CHttpTransport;

// The merchant's own company as the main window keeps it.
struct MerchantCompany {
    CompanyRecord record;
    // Identity met before (profile "Com"/"Id"); compared without regard to case.
    std::wstring lastIdentity;
    // Set while EnsureMerchantCompany runs; a call made meanwhile does nothing.
    bool resolving = false;
    // The merchant was told that the seller identity cannot be computed on this PC.
    bool toldNoDigest = false;
};

// Where the flows ask or tell the merchant something; the main window plugs in
// its real windows, tests plug in scripted answers. An empty function counts as
// a cancelled question or a message nobody sees.
struct MerchantPrompts {
    // The company input window; true when the merchant confirmed the name and tax
    // code it leaves in the two arguments.
    std::function<bool(std::wstring& name, std::wstring& taxCode)> askCompany;
    // A notice on the main window (caption "提示", system-modal, stop icon).
    std::function<void(const std::wstring& text)> showMessage;
};

// Shown when a flow needs the issuing window and none is open.
extern const wchar_t kOpenIssuingWindowMessage[];
// Shown once when the seller's identity cannot be computed (the system's MD5 is missing).
extern const wchar_t kNoDigestMessage[];

// The merchant as the profile left it: last identity, that identity's key
// number, tax code and name, and the stored user as UserId.
MerchantCompany LoadMerchantCompany();

// Completes the merchant record from the issuing window's seller, the profile,
// the input window and the service, writing the profile as it learns. False only
// when `showMessage` is set, the record is incomplete and no issuing window is
// open (the merchant has then been told so); true otherwise.
bool EnsureMerchantCompany(CHttpTransport& transport, MerchantCompany& merchant, const MerchantPrompts& prompts,
                           bool showMessage);
