#pragma once
// Owners for the handles the platform opens: each closes its handle when it goes out of
// scope, on every path, so that no handle outlives the operation that opened it.

#include <windows.h>

#include <utility>

namespace tv::win32 {

// A handle with its closing function and its "none" value.
template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::none())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::none());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::none(); }
    Handle release() { return std::exchange(handle_, Traits::none()); }
    void reset(Handle handle = Traits::none()) {
        if (handle_ != Traits::none()) Traits::close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::none();
};

struct KernelHandleTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using FileHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// Kernel handles whose "none" is null (processes, threads).
struct NullableHandleTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using ProcessHandle = UniqueHandle<HANDLE, NullableHandleTraits>;

struct KeyTraits {
    static HKEY none() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
using KeyHandle = UniqueHandle<HKEY, KeyTraits>;

struct ModuleTraits {
    static HMODULE none() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;

// Memory the shell hands over (item identifier lists and the like).
template <typename T>
struct CoTaskMemTraits {
    static T* none() { return nullptr; }
    static void close(T* p) { CoTaskMemFree(p); }
};
template <typename T>
using CoTaskMemPtr = UniqueHandle<T*, CoTaskMemTraits<T>>;

// A COM interface reference: released once, when the owner goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For the calls that hand out a reference through a void**.
    void** receive() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    Interface* p_ = nullptr;
};

} // namespace tv::win32
