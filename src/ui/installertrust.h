#pragma once
#include <string>

#include "base/handle.h"

// True for a set of publisher keys: one or more SHA-256 digests (64 hex digits each) of a
// signer's public key (its DER SubjectPublicKeyInfo), separated by ','. The set names the
// key in use and the next one, so a renewed certificate on either still verifies.
bool HasPublisherKeys(const std::wstring& keys);

// Opens `path` for reading with writers, renamers and deleters shut out, and keeps it
// in `held` only when it is a plain file (no directory, no reparse point), Authenticode
// (WinVerifyTrust, no revocation check, no network) accepts the signature, the signer's
// certificate is meant for code signing (extended key usage) and its public key is one
// of `publisherKeys`. Otherwise `held` stays empty and `why` says what was wrong.
bool HoldTrustedInstaller(const std::wstring& path, const std::wstring& publisherKeys, KernelHandle& held,
                          std::wstring& why);

// The full path of the file open in `held`, in the form CreateProcessW takes; empty
// when it cannot be read.
std::wstring HeldFilePath(const KernelHandle& held);
