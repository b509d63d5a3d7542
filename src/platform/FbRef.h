#pragma once

#include <firebird/Interface.h>

#include <type_traits>
#include <utility>

// Owns one Firebird interface and lets go of it when it goes out of scope. Letting go of a
// transaction, cursor or blob that was not ended rolls it back, closes or cancels it.
// A call that ends the interface and releases it on success (commit, close, free, detach) goes
// through End, so that the holder forgets it only when the call succeeded.
template <typename T>
class FbRef {
public:
    FbRef() = default;
    explicit FbRef(T* pointer) : pointer_(pointer) {}
    FbRef(FbRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    FbRef& operator=(FbRef&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    FbRef(const FbRef&) = delete;
    FbRef& operator=(const FbRef&) = delete;
    ~FbRef() { Reset(); }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void Reset(T* pointer = nullptr) {
        if (T* old = std::exchange(pointer_, pointer)) LetGo(old);
    }

    template <typename Call>
    void End(Call&& call) {
        call(pointer_);
        pointer_ = nullptr;
    }

private:
    static void LetGo(T* pointer) {
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, T>)
            pointer->release();
        else
            pointer->dispose();
    }

    T* pointer_ = nullptr;
};
