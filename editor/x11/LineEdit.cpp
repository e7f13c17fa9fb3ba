#include "editor/x11/LineEdit.h"

namespace sorvel {

namespace {

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xc0) == 0x80; }

}  // namespace

LineEdit::LineEdit(std::string text, std::size_t maxBytes) : text_(std::move(text)), maxBytes_(maxBytes) {
  if (text_.size() > maxBytes_) {
    std::size_t end = maxBytes_;
    while (end > 0 && continuationByte(text_[end])) --end;
    text_.resize(end);
  }
  caret_ = text_.size();
}

bool LineEdit::insert(const std::string& typed) {
  if (typed.empty() || text_.size() + typed.size() > maxBytes_) return false;
  for (char c : typed) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  text_.insert(caret_, typed);
  caret_ += typed.size();
  return true;
}

void LineEdit::deleteBackward() {
  const std::size_t from = previousBoundary(caret_);
  text_.erase(from, caret_ - from);
  caret_ = from;
}

void LineEdit::deleteForward() { text_.erase(caret_, nextBoundary(caret_) - caret_); }

std::size_t LineEdit::previousBoundary(std::size_t at) const {
  if (at == 0) return 0;
  --at;
  while (at > 0 && continuationByte(text_[at])) --at;
  return at;
}

std::size_t LineEdit::nextBoundary(std::size_t at) const {
  if (at >= text_.size()) return text_.size();
  ++at;
  while (at < text_.size() && continuationByte(text_[at])) ++at;
  return at;
}

}  // namespace sorvel
