#pragma once

#include "compiler/base/arena.hpp"
#include "compiler/base/diagnostics.hpp"
#include "compiler/base/node.hpp"
#include "compiler/base/string_pool.hpp"

namespace kavo {

// The run's flat list of parse nodes and the operations the grammar actions and later passes
// use to build and copy it. Nodes live in the list's arena for the whole run.
class NodeList {
public:
    NodeList(Diagnostics& diagnostics, StringPool& strings, const int& currentLine)
        : diagnostics_(diagnostics), strings_(strings), currentLine_(currentLine),
          arena_(diagnostics) {}

    Node* head() const { return head_; }
    void setHead(Node* node) { head_ = node; }

    // A marker node: empty name, cval "ExMk", the scanner's current line, no file.
    Node* makeNode(int kind);
    // Appends node at the end of the list starting at list (the global list when null).
    // The tag names the calling grammar action for debugging and has no effect.
    void append(int tag, Node* list, Node* node);
    Node* myndup(const Node* node);
    // A copy of the first IDENTIFIER node from node onwards.
    Node* dupident(const Node* node);
    Node* nodeFromValue(const ParserValue& value);
    // A DESTLABEL node named "_LBL_" and a per-run counter starting at 1.
    Node* newLabelNode();

    // Passes that unlink nodes call this so that append never resumes from a stale tail.
    void forgetTailMemo() {
        memoList_ = nullptr;
        memoTail_ = nullptr;
    }
    std::size_t allocated() const { return arena_.size(); }

private:
    [[noreturn]] void alreadyInList(const Node* node);

    Diagnostics& diagnostics_;
    StringPool& strings_;
    const int& currentLine_;
    Arena<Node> arena_;
    Node* head_ = nullptr;
    Node* memoList_ = nullptr;
    Node* memoTail_ = nullptr;
    int labelCounter_ = 0;
};

} // namespace kavo
