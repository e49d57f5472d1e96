#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::ui {

// The text of the preview lines, their check marks and whether each has run, packed for lists of
// millions of lines:
// the lines are kept in chunks of consecutive lines, each chunk one buffer plus the offsets of its
// lines, so a line costs its bytes plus a few bytes of bookkeeping instead of a string object and
// a heap block of its own. Indexes are 0-based here; the windows translate to their 1-based line
// numbers. Out-of-range indexes throw std::out_of_range. Not thread-safe.
class PreviewLines {
public:
    static constexpr std::size_t LinesPerChunk = 128;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Valid until the next change of the same chunk (append, setLine, rewrite, clear).
    std::string_view line(std::size_t index) const;
    void append(std::string_view text);
    void setLine(std::size_t index, std::string_view text);
    void clear();

    bool checked(std::size_t index) const;
    void setChecked(std::size_t index, bool on);

    // Whether the line has been executed without failure since its text last changed: a line
    // given a different text (setLine, rewrite) counts as not run again.
    bool ran(std::size_t index) const;
    void setRan(std::size_t index, bool on);

    // The index of a line with the most bytes (0 for an empty list): the one line a view measures
    // to size its column. Kept up as lines are added; a full pass over the line lengths (not their
    // text) only after the longest line was shortened or the list rewritten.
    std::size_t longestLine() const;

    // Bytes of text held, for measuring the bookkeeping overhead.
    std::size_t textBytes() const;

    // Rewrites every line in order without building a copy of the whole list: one chunk at a time
    // is rebuilt into a new buffer and swapped in, so the cost is linear in the text.
    // `change(index, out)` reads line(index) and returns true when the line is to become `out`.
    // While a chunk is being rebuilt, line() still answers its old text, so `change` may let events
    // (repaints) run; changing the list meanwhile throws std::logic_error. `chunkDone(first, last)`
    // is called after the lines [first, last) have been swapped in. A chunk whose rebuild throws
    // keeps its old text (and its lines their run marks).
    template <class Change, class ChunkDone> void rewrite(Change&& change, ChunkDone&& chunkDone);

private:
    struct Chunk {
        std::string text;
        // Start of each line in `text`, plus the end of the last: lines() + 1 entries.
        std::vector<std::uint32_t> starts{0};
        std::size_t lines() const { return starts.size() - 1; }
    };

    Chunk& chunkOf(std::size_t index, std::size_t& offset);
    const Chunk& chunkOf(std::size_t index, std::size_t& offset) const;
    static void checkChunkSize(std::size_t bytes);
    bool bit(const std::vector<std::uint64_t>& bits, std::size_t index) const;
    void setBit(std::vector<std::uint64_t>& bits, std::size_t index, bool on);

    std::vector<Chunk> chunks_;
    std::vector<std::uint64_t> marks_; // one bit per line: its check mark
    std::vector<std::uint64_t> ran_;   // one bit per line: it has run
    std::size_t count_ = 0;
    std::uint64_t mutations_ = 0;
    mutable std::size_t longest_ = 0;
    mutable std::size_t longestBytes_ = 0;
    mutable bool longestStale_ = false;
};

template <class Change, class ChunkDone>
void PreviewLines::rewrite(Change&& change, ChunkDone&& chunkDone) {
    std::string out;
    std::vector<std::size_t> replacedLines;
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
        const std::size_t first = c * LinesPerChunk;
        Chunk rebuilt;
        bool changed = false;
        replacedLines.clear();
        {
            const Chunk& old = chunks_[c];
            rebuilt.starts.reserve(old.starts.size());
            rebuilt.text.reserve(old.text.size());
            for (std::size_t k = 0; k < old.lines(); ++k) {
                out.clear();
                const std::uint64_t before = mutations_;
                const bool replaced = change(first + k, out);
                if (mutations_ != before)
                    throw std::logic_error("The list changed while it was rewritten.");
                if (replaced) {
                    changed = true;
                    const std::string_view before(old.text.data() + old.starts[k],
                                                  old.starts[k + 1] - old.starts[k]);
                    if (out != before) replacedLines.push_back(first + k);
                    rebuilt.text.append(out);
                } else {
                    rebuilt.text.append(old.text, old.starts[k], old.starts[k + 1] - old.starts[k]);
                }
                checkChunkSize(rebuilt.text.size());
                rebuilt.starts.push_back(static_cast<std::uint32_t>(rebuilt.text.size()));
            }
        }
        if (changed) {
            rebuilt.text.shrink_to_fit();
            chunks_[c] = std::move(rebuilt);
            for (std::size_t index : replacedLines) setBit(ran_, index, false);
            longestStale_ = true;
            chunkDone(first, first + chunks_[c].lines());
        }
    }
}

} // namespace tabulant::ui
