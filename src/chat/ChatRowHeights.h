#pragma once
// The heights of the chat list's rows and where each row starts, for a list of any length.
//
// Row tops are prefix sums kept in a Fenwick tree: the top of a row, the row at a height and a
// row's new height cost O(log n), and so does a row added at the end (the way a busy room grows
// the list). Rows inserted or removed elsewhere (a history page at the top, the oldest rows
// trimmed) shift every later top: the tree is then rebuilt once, from the heights, on the next
// question (O(n) over plain integers, no item is asked again).

#include <cstddef>
#include <vector>

class ChatRowHeights
{
public:
    int count() const { return int(m_heights.size()); }
    int height(int row) const { return m_heights[std::size_t(row)]; }

    void append(int height);
    void insert(int row, int height);
    void remove(int row, int n = 1);
    void set(int row, int height);
    void clear();

    // Where the row starts: the heights of the rows before it added up (top(count()) is the
    // total).
    int top(int row) const;
    int total() const { return top(count()); }
    // The row whose span [top, top + height) holds y; -1 above the first row, count() at or below
    // the end. Rows of no height hold no y.
    int rowAt(int y) const;

private:
    void rebuild() const;
    void add(int row, int delta) const;

    std::vector<int> m_heights;
    // m_tree[i] (1-based) holds the heights of rows (i - lowbit(i), i].
    mutable std::vector<int> m_tree{0};
    mutable bool m_stale = false;
};
