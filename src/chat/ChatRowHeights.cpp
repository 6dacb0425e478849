#include "chat/ChatRowHeights.h"

#include <algorithm>
#include <iterator>

void ChatRowHeights::index() const
{
    if (!m_stale)
        return;
    m_firstRow.resize(m_blocks.size());
    m_top.resize(m_blocks.size());
    int row = 0;
    int top = 0;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        m_firstRow[b] = row;
        m_top[b] = top;
        row += int(m_blocks[b].heights.size());
        top += m_blocks[b].sum;
    }
    m_stale = false;
}

std::size_t ChatRowHeights::blockOf(int row, int* inBlock) const
{
    index();
    // The last block starting at or before the row (blocks are never empty).
    const auto it = std::upper_bound(m_firstRow.begin(), m_firstRow.end(), row);
    const std::size_t b = std::size_t(std::distance(m_firstRow.begin(), it)) - 1;
    *inBlock = row - m_firstRow[b];
    return b;
}

int ChatRowHeights::height(int row) const
{
    int in = 0;
    const std::size_t b = blockOf(row, &in);
    return m_blocks[b].heights[std::size_t(in)];
}

void ChatRowHeights::append(int height) { insert(m_count, height); }

void ChatRowHeights::insert(int row, int height)
{
    if (row < 0)
        row = 0;
    if (row > m_count)
        row = m_count;
    std::size_t b = 0;
    int in = 0;
    if (m_blocks.empty()) {
        m_blocks.emplace_back();
    } else if (row == m_count) {
        b = m_blocks.size() - 1;
        in = int(m_blocks[b].heights.size());
        if (in >= m_blockRows) {
            m_blocks.emplace_back();
            ++b;
            in = 0;
        }
    } else {
        b = blockOf(row, &in);
    }
    Block& block = m_blocks[b];
    block.heights.insert(block.heights.begin() + in, height);
    block.sum += height;
    ++m_count;
    m_total += height;
    // A full block is split in two halves.
    if (int(block.heights.size()) > m_blockRows) {
        Block tail;
        const auto half = block.heights.begin() + long(block.heights.size() / 2);
        tail.heights.assign(half, block.heights.end());
        block.heights.erase(half, block.heights.end());
        for (int h : tail.heights)
            tail.sum += h;
        block.sum -= tail.sum;
        m_blocks.insert(m_blocks.begin() + long(b) + 1, std::move(tail));
    }
    m_stale = true;
}

void ChatRowHeights::remove(int row, int n)
{
    if (row < 0 || n <= 0 || row >= m_count)
        return;
    int left = std::min(n, m_count - row);
    int in = 0;
    std::size_t b = blockOf(row, &in);
    while (left > 0) {
        Block& block = m_blocks[b];
        const int take = std::min(left, int(block.heights.size()) - in);
        const auto from = block.heights.begin() + in;
        for (auto it = from; it != from + take; ++it) {
            block.sum -= *it;
            m_total -= *it;
        }
        block.heights.erase(from, from + take);
        m_count -= take;
        left -= take;
        if (block.heights.empty())
            m_blocks.erase(m_blocks.begin() + long(b));
        else
            ++b;
        in = 0;
    }
    m_stale = true;
}

void ChatRowHeights::set(int row, int height)
{
    int in = 0;
    const std::size_t b = blockOf(row, &in);
    int& h = m_blocks[b].heights[std::size_t(in)];
    const int delta = height - h;
    if (delta == 0)
        return;
    h = height;
    m_blocks[b].sum += delta;
    m_total += delta;
    // Only the tops of the later blocks move.
    for (std::size_t k = b + 1; k < m_top.size(); ++k)
        m_top[k] += delta;
}

void ChatRowHeights::clear()
{
    m_blocks.clear();
    m_firstRow.clear();
    m_top.clear();
    m_count = 0;
    m_total = 0;
    m_stale = false;
}

int ChatRowHeights::top(int row) const
{
    if (row <= 0)
        return 0;
    if (row >= m_count)
        return m_total;
    int in = 0;
    const std::size_t b = blockOf(row, &in);
    int sum = m_top[b];
    const std::vector<int>& heights = m_blocks[b].heights;
    for (int i = 0; i < in; ++i)
        sum += heights[std::size_t(i)];
    return sum;
}

int ChatRowHeights::rowAt(int y) const
{
    if (y < 0)
        return -1;
    if (y >= m_total)
        return m_count;
    index();
    // The last block starting at or before y holds it (y is below the total).
    const auto it = std::upper_bound(m_top.begin(), m_top.end(), y);
    const std::size_t b = std::size_t(std::distance(m_top.begin(), it)) - 1;
    int start = m_top[b];
    const std::vector<int>& heights = m_blocks[b].heights;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        if (y < start + heights[i])
            return m_firstRow[b] + int(i);
        start += heights[i];
    }
    return m_firstRow[b] + int(heights.size());
}
