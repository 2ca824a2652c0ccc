// PCL_array: an owned heap array of a fixed number of elements.  A count of
// 0 or below is refused (the array stays empty); an index must be below the
// count, otherwise the access answers null.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "app/include/ImageCheck.h"

template <class T>
class PCL_array {
public:
    explicit PCL_array(int count) {
        FC_CHECK_OR_RETURN(count > 0);
        items_.reset(new (std::nothrow) T[count]());
        if (items_) count_ = count;
    }
    PCL_array(const PCL_array&) = delete;
    PCL_array& operator=(const PCL_array&) = delete;

    // The first element; null for an empty array.
    T* get() const { return items_.get(); }
    int GetElementNumber() const { return count_; }
    size_t GetArrayBytes() const { return static_cast<size_t>(count_) * sizeof(T); }

    // The element at index; null (reported) when index is outside the array.
    T* At(int index) const {
        FC_CHECK_OR_RETURN(index >= 0 && index < count_, nullptr);
        return items_.get() + index;
    }

private:
    std::unique_ptr<T[]> items_;
    int count_ = 0;
};
