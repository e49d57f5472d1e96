#include "PreviewLines.h"

#include <limits>
#include <string>
#include <utility>

namespace tabulant::ui {

namespace {
[[noreturn]] void outOfRange(std::size_t index, std::size_t count) {
    throw std::out_of_range("Line " + std::to_string(index + 1) +
                            " does not exist; the list holds " + std::to_string(count) + " lines.");
}
} // namespace

void PreviewLines::checkChunkSize(std::size_t bytes) {
    if (bytes > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("The preview lines are too long.");
}

const PreviewLines::Chunk& PreviewLines::chunkOf(std::size_t index, std::size_t& offset) const {
    if (index >= count_) outOfRange(index, count_);
    offset = index % LinesPerChunk;
    return chunks_[index / LinesPerChunk];
}

PreviewLines::Chunk& PreviewLines::chunkOf(std::size_t index, std::size_t& offset) {
    return const_cast<Chunk&>(std::as_const(*this).chunkOf(index, offset));
}

std::string_view PreviewLines::line(std::size_t index) const {
    std::size_t k = 0;
    const Chunk& chunk = chunkOf(index, k);
    return {chunk.text.data() + chunk.starts[k], chunk.starts[k + 1] - chunk.starts[k]};
}

void PreviewLines::append(std::string_view text) {
    if (chunks_.empty() || chunks_.back().lines() == LinesPerChunk) {
        if (!chunks_.empty()) chunks_.back().text.shrink_to_fit();
        Chunk fresh;
        fresh.starts.reserve(LinesPerChunk + 1);
        chunks_.push_back(std::move(fresh));
    }
    Chunk& chunk = chunks_.back();
    checkChunkSize(chunk.text.size() + text.size());
    if (count_ % 64 == 0) {
        marks_.push_back(0);
        ran_.push_back(0);
    }
    chunk.text.append(text);
    chunk.starts.push_back(static_cast<std::uint32_t>(chunk.text.size()));
    if (text.size() > longestBytes_ || count_ == 0) {
        longest_ = count_;
        longestBytes_ = text.size();
    }
    ++count_;
    ++mutations_;
}

void PreviewLines::setLine(std::size_t index, std::string_view text) {
    std::size_t k = 0;
    Chunk& chunk = chunkOf(index, k);
    const std::size_t oldLength = chunk.starts[k + 1] - chunk.starts[k];
    checkChunkSize(chunk.text.size() - oldLength + text.size());
    // The same text again (an edit confirmed unchanged) is still the statement that ran.
    if (text != std::string_view(chunk.text).substr(chunk.starts[k], oldLength))
        setBit(ran_, index, false);
    chunk.text.replace(chunk.starts[k], oldLength, text);
    const auto shift = static_cast<std::uint32_t>(text.size() - oldLength); // wraps for shrinking
    for (std::size_t j = k + 1; j < chunk.starts.size(); ++j) chunk.starts[j] += shift;
    if (!longestStale_ && text.size() >= longestBytes_) {
        longest_ = index;
        longestBytes_ = text.size();
    } else if (index == longest_) {
        longestStale_ = true;
    }
    ++mutations_;
}

void PreviewLines::clear() {
    std::vector<Chunk>().swap(chunks_);
    std::vector<std::uint64_t>().swap(marks_);
    std::vector<std::uint64_t>().swap(ran_);
    count_ = 0;
    longest_ = longestBytes_ = 0;
    longestStale_ = false;
    ++mutations_;
}

std::size_t PreviewLines::longestLine() const {
    if (longestStale_) {
        longest_ = longestBytes_ = 0;
        for (std::size_t c = 0; c < chunks_.size(); ++c) {
            const std::vector<std::uint32_t>& starts = chunks_[c].starts;
            for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
                if (starts[k + 1] - starts[k] > longestBytes_) {
                    longestBytes_ = starts[k + 1] - starts[k];
                    longest_ = c * LinesPerChunk + k;
                }
            }
        }
        longestStale_ = false;
    }
    return longest_;
}

bool PreviewLines::bit(const std::vector<std::uint64_t>& bits, std::size_t index) const {
    if (index >= count_) outOfRange(index, count_);
    return (bits[index / 64] >> (index % 64)) & 1U;
}

void PreviewLines::setBit(std::vector<std::uint64_t>& bits, std::size_t index, bool on) {
    if (index >= count_) outOfRange(index, count_);
    const std::uint64_t mask = std::uint64_t{1} << (index % 64);
    if (on)
        bits[index / 64] |= mask;
    else
        bits[index / 64] &= ~mask;
}

bool PreviewLines::checked(std::size_t index) const { return bit(marks_, index); }
void PreviewLines::setChecked(std::size_t index, bool on) { setBit(marks_, index, on); }
bool PreviewLines::ran(std::size_t index) const { return bit(ran_, index); }
void PreviewLines::setRan(std::size_t index, bool on) { setBit(ran_, index, on); }

std::size_t PreviewLines::textBytes() const {
    std::size_t bytes = 0;
    for (const Chunk& chunk : chunks_) bytes += chunk.text.size();
    return bytes;
}

} // namespace tabulant::ui
