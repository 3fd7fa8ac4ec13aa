#pragma once
#include <windows.h>
#include <bcrypt.h>

#include <utility>

// Move-only owner of a kernel handle; both null and INVALID_HANDLE_VALUE mean none.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { reset(); }
    KernelHandle(KernelHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void reset() {
        if (valid()) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Move-only owner of a CNG algorithm provider.
class AlgorithmHandle {
public:
    AlgorithmHandle() = default;
    ~AlgorithmHandle() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    AlgorithmHandle(AlgorithmHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    AlgorithmHandle& operator=(AlgorithmHandle&&) = delete;
    AlgorithmHandle(const AlgorithmHandle&) = delete;
    AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;

    BCRYPT_ALG_HANDLE get() const { return handle_; }
    BCRYPT_ALG_HANDLE* out() { return &handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// Move-only owner of a CNG hash object.
class HashHandle {
public:
    HashHandle() = default;
    ~HashHandle() {
        if (handle_) BCryptDestroyHash(handle_);
    }
    HashHandle(HashHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    HashHandle& operator=(HashHandle&&) = delete;
    HashHandle(const HashHandle&) = delete;
    HashHandle& operator=(const HashHandle&) = delete;

    BCRYPT_HASH_HANDLE get() const { return handle_; }
    BCRYPT_HASH_HANDLE* out() { return &handle_; }

private:
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};
