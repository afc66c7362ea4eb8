// An array of plain records, zeroed, with its room fixed up front: the memory
// comes from calloc, which takes large blocks as fresh pages the system has
// already zeroed, so neither the room nor the records made in it are cleared
// one by one, and a table of which a pass uses a few rows touches only their
// pages.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace tavo {

template <class T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ZeroedArray() = default;
    // Count records, all zero, and no room for more.
    explicit ZeroedArray(std::size_t Count)
        : data_(static_cast<T*>(std::calloc(Count, sizeof(T)))), size_(Count), room_(Count) {
        if (data_ == nullptr && Count != 0) throw std::bad_alloc();
    }
    ZeroedArray(const ZeroedArray& other) {
        Reset(other.room_);
        if (other.size_ != 0) std::memcpy(data_, other.data_, other.size_ * sizeof(T));
        size_ = other.size_;
    }
    ZeroedArray(ZeroedArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          room_(std::exchange(other.room_, 0)) {}
    ZeroedArray& operator=(ZeroedArray other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(room_, other.room_);
        return *this;
    }
    ~ZeroedArray() { std::free(data_); }

    // Drops the records and makes room for Room zeroed ones, none made yet.
    void Reset(std::size_t Room) {
        std::free(data_);
        data_ = nullptr;
        size_ = room_ = 0;
        if (Room == 0) return;
        data_ = static_cast<T*>(std::calloc(Room, sizeof(T)));
        if (data_ == nullptr) throw std::bad_alloc();
        room_ = Room;
    }
    // Makes Count more records, all zero, within the room; gives the first's index.
    std::size_t Grow(std::size_t Count) {
        if (Count > room_ - size_) throw std::length_error("ZeroedArray grown past its room");
        const std::size_t first = size_;
        size_ += Count;
        return first;
    }
    // Record Index, making the records up to it when it is past the last.
    T& GrowTo(std::size_t Index) {
        if (Index >= size_) Grow(Index + 1 - size_);
        return data_[Index];
    }

    T* data() { return data_; }
    const T* data() const { return data_; }
    std::size_t size() const { return size_; }
    T& operator[](std::size_t Index) { return data_[Index]; }
    const T& operator[](std::size_t Index) const { return data_[Index]; }
    // Record Index, checked: for readers given an index from outside.
    const T& at(std::size_t Index) const {
        if (Index >= size_) throw std::out_of_range("ZeroedArray::at");
        return data_[Index];
    }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t room_ = 0;
};

}  // namespace tavo
