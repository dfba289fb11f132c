// Who wants to hear of changes to the document: the editor's window subscribes once and
// refreshes everything it shows in one place. Every commit of an edit, every load, undo,
// redo and save notifies the observers, in the order they subscribed.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace zel {

enum class DocumentEvent : uint8_t {
  kEdited,  // a command committed its change
  kLoaded,  // a new document replaced the old one (or the same file came back)
  kUndone,
  kRedone,
  kSaved,  // written to its file: the pictures are the same, the saved revision moved
};

class DocumentObservers {
 public:
  using Observer = std::function<void(DocumentEvent)>;
  using Token = uint32_t;

  // Adds an observer; the token takes it off again.
  Token Subscribe(Observer observer) {
    const Token token = next_++;
    list_.emplace_back(token, std::move(observer));
    return token;
  }
  void Unsubscribe(Token token) {
    std::erase_if(list_, [token](const auto& entry) { return entry.first == token; });
  }
  void Notify(DocumentEvent event) const {
    // A copy: an observer may subscribe or unsubscribe while it is told.
    const auto list = list_;
    for (const auto& entry : list) entry.second(event);
  }
  size_t size() const { return list_.size(); }

 private:
  std::vector<std::pair<Token, Observer>> list_;
  Token next_ = 1;
};

}  // namespace zel
