#include "chat/ChatRowHeights.h"

namespace {
inline int lowbit(int i) { return i & -i; }
} // namespace

void ChatRowHeights::append(int height)
{
    m_heights.push_back(height);
    if (m_stale)
        return;
    // The new node covers its own row and the rows (n - lowbit(n), n - 1] before it.
    const int n = count();
    m_tree.push_back(height + top(n - 1) - top(n - lowbit(n)));
}

void ChatRowHeights::insert(int row, int height)
{
    if (row >= count()) {
        append(height);
        return;
    }
    m_heights.insert(m_heights.begin() + row, height);
    m_stale = true;
}

void ChatRowHeights::remove(int row, int n)
{
    if (row < 0 || n <= 0 || row >= count())
        return;
    const int end = row + n < count() ? row + n : count();
    m_heights.erase(m_heights.begin() + row, m_heights.begin() + end);
    m_stale = true;
}

void ChatRowHeights::set(int row, int height)
{
    const int delta = height - m_heights[std::size_t(row)];
    if (delta == 0)
        return;
    m_heights[std::size_t(row)] = height;
    if (!m_stale)
        add(row, delta);
}

void ChatRowHeights::clear()
{
    m_heights.clear();
    m_tree.assign(1, 0);
    m_stale = false;
}

void ChatRowHeights::add(int row, int delta) const
{
    const int n = count();
    for (int i = row + 1; i <= n; i += lowbit(i))
        m_tree[std::size_t(i)] += delta;
}

void ChatRowHeights::rebuild() const
{
    const int n = count();
    m_tree.assign(std::size_t(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        m_tree[std::size_t(i)] += m_heights[std::size_t(i) - 1];
        const int parent = i + lowbit(i);
        if (parent <= n)
            m_tree[std::size_t(parent)] += m_tree[std::size_t(i)];
    }
    m_stale = false;
}

int ChatRowHeights::top(int row) const
{
    if (m_stale)
        rebuild();
    int sum = 0;
    for (int i = row < count() ? row : count(); i > 0; i -= lowbit(i))
        sum += m_tree[std::size_t(i)];
    return sum;
}

int ChatRowHeights::rowAt(int y) const
{
    if (y < 0)
        return -1;
    if (m_stale)
        rebuild();
    // Descends the tree: the most rows whose heights add up to no more than y.
    const int n = count();
    int step = 1;
    while (step * 2 <= n)
        step *= 2;
    int pos = 0;
    int rest = y;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && m_tree[std::size_t(pos + step)] <= rest) {
            pos += step;
            rest -= m_tree[std::size_t(pos)];
        }
    }
    return pos;
}
