#pragma once
/// A contiguous column of one slot, allocated once at its final size without zero-filling.

#include <cstddef>
#include <memory>
#include <new>

namespace quillon {

template <class T>
class Column {
public:
    Column() = default;
    /// Allocates n elements, left uninitialised; false when memory runs out.
    bool Allocate(size_t n) {
        m_data.reset(new (std::nothrow) T[n]);
        m_size = m_data ? n : 0;
        return m_data != nullptr || n == 0;
    }
    void Reset() {
        m_data.reset();
        m_size = 0;
    }
    T* data() { return m_data.get(); }
    const T* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + m_size; }

private:
    std::unique_ptr<T[]> m_data;
    size_t m_size = 0;
};

}  // namespace quillon
