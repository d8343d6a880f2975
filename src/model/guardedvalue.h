#pragma once

#include <mutex>

#include <atomic>
#include <type_traits>

// A value written on the bus thread and read on the GUI thread (or the other way round). Small
// trivially copyable values live in a lock-free atomic; anything else (strings, byte arrays,
// lists) is copied under a private mutex, so a reader always sees the old or the new value whole.
template<typename T, bool Atomic = std::is_trivially_copyable_v<T> && (sizeof(T) <= 8)>
class GuardedValue;

template<typename T>
class GuardedValue<T, true>
{
public:
    explicit GuardedValue(T initial = T())
        : m_value(initial)
    {}
    T load() const { return m_value.load(std::memory_order_relaxed); }
    void store(const T &value) { m_value.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> m_value;
};

template<typename T>
class GuardedValue<T, false>
{
public:
    explicit GuardedValue(T initial = T())
        : m_value(std::move(initial))
    {}
    T load() const
    {
        std::lock_guard locker(m_mutex);
        return m_value;
    }
    void store(const T &value)
    {
        // The old value is released outside the lock.
        T old;
        {
            std::lock_guard locker(m_mutex);
            old = std::move(m_value);
            m_value = value;
        }
    }

private:
    mutable std::mutex m_mutex;
    T m_value;
};
