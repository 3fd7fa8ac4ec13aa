#pragma once
#include <string>

#include "bridge/handles.h"

// True for a pinned certificate hash: 64 hex digits.
bool IsSignerPin(const std::wstring& sha256Hex);

// Opens `path` for reading with writers, renamers and deleters shut out, and keeps it
// in `held` only when Authenticode (WinVerifyTrust, no revocation check, no network)
// accepts the signature and the signer's certificate has the SHA-256 `pinnedSha256Hex`.
// Otherwise `held` stays empty and `why` says what was wrong.
bool HoldTrustedInstaller(const std::wstring& path, const std::wstring& pinnedSha256Hex, KernelHandle& held,
                          std::wstring& why);
