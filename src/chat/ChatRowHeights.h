#pragma once
// The heights of a lazy list's rows and where each row starts, for a list of any length.
//
// Heights are kept in blocks of at most blockRows rows, each block with its row count and the sum
// of its heights; where each block starts (its first row and its top) is summed again over the
// blocks once it is asked for after a change. So a row added, removed or resized anywhere (at the
// end as a busy room grows the chat list, at the top as viewers arrive in the online list, in the
// middle as one leaves) costs one block's work plus a pass over the blocks, and the top of a row
// or the row at a height a search over the blocks and a walk through one block: at 50,000 rows
// that is about 100 blocks, whatever the place of the change.

#include <cstddef>
#include <vector>

class ChatRowHeights
{
public:
    static constexpr int kBlockRows = 512;

    explicit ChatRowHeights(int blockRows = kBlockRows) : m_blockRows(blockRows < 2 ? 2 : blockRows) {}

    int count() const { return m_count; }
    int height(int row) const;

    void append(int height);
    void insert(int row, int height);
    void remove(int row, int n = 1);
    void set(int row, int height);
    void clear();

    // Where the row starts: the heights of the rows before it added up (top(count()) is the
    // total).
    int top(int row) const;
    int total() const { return m_total; }
    // The row whose span [top, top + height) holds y; -1 above the first row, count() at or below
    // the end. Rows of no height hold no y.
    int rowAt(int y) const;

private:
    struct Block {
        std::vector<int> heights;
        int sum = 0;
    };
    // The block holding the row, and the row's place in it (row < count()).
    std::size_t blockOf(int row, int* inBlock) const;
    void index() const;

    int m_blockRows;
    std::vector<Block> m_blocks;
    int m_count = 0;
    int m_total = 0;
    // Per block: its first row and its top; valid unless m_stale.
    mutable std::vector<int> m_firstRow;
    mutable std::vector<int> m_top;
    mutable bool m_stale = false;
};
