#pragma once
/// A contiguous column of one slot, allocated once at its final size without zero-filling. Its
/// storage is shared by copies of the column: a holder (a chart's curve) keeps the values alive
/// when the log drops a column it can make again from the file.

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
        T* fresh = new (std::nothrow) T[n];
        try {
            m_data = std::shared_ptr<T[]>(fresh);
        } catch (const std::bad_alloc&) {
            delete[] fresh;
            m_data.reset();
        }
        m_size = m_data ? n : 0;
        return m_data != nullptr || n == 0;
    }
    /// Views n elements at `data` inside `block`, which the column keeps alive: the columns of a
    /// small log share one allocation.
    void View(const std::shared_ptr<void>& block, T* data, size_t n) {
        m_data = std::shared_ptr<T[]>(block, data);
        m_size = n;
    }
    void Reset() {
        m_data.reset();
        m_size = 0;
    }
    T* data() { return m_data.get(); }
    const T* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    /// Whether another copy of this column shares its storage.
    bool Shared() const { return m_data.use_count() > 1; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + m_size; }

private:
    std::shared_ptr<T[]> m_data;
    size_t m_size = 0;
};

}  // namespace quillon
