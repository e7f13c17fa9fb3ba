// The text of a one-line entry and its caret, in bytes of UTF-8: a character is never split, and
// the text never grows past the bytes the field that receives it can store.
#pragma once

#include <cstddef>
#include <string>

namespace sorvel {

class LineEdit {
 public:
  LineEdit(std::string text, std::size_t maxBytes);

  const std::string& text() const { return text_; }
  std::size_t caret() const { return caret_; }

  // Typed text goes in at the caret, whole or not at all; control characters never.
  bool insert(const std::string& typed);
  void deleteBackward();
  void deleteForward();
  void moveLeft() { caret_ = previousBoundary(caret_); }
  void moveRight() { caret_ = nextBoundary(caret_); }
  void moveHome() { caret_ = 0; }
  void moveEnd() { caret_ = text_.size(); }

 private:
  std::size_t previousBoundary(std::size_t at) const;
  std::size_t nextBoundary(std::size_t at) const;

  std::string text_;
  std::size_t maxBytes_;
  std::size_t caret_;
};

}  // namespace sorvel
