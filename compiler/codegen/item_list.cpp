// Editing an expression's item list: linkItemAfter inserts an item, unlinkItem removes one and
// returns a temporary it names to its pool.
#include "compiler/codegen/item_list.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo {

Item* linkItemAfter(Compilation& c, Item* at, int kind, std::string_view cval) {
    Item* item = c.items.make();
    item->kind = kind;
    item->cval = cval;
    if (at != nullptr) {
        item->line = at->line;
        item->file = at->file;
        item->next = at->next;
        at->next = item;
    }
    return item;
}

namespace {

// The item whose next is item, walking from `from` to the list's end; none when item does
// not follow `from`.
Item* predecessorAfter(Item* from, const Item* item) {
    for (Item* walk = from; walk != nullptr; walk = walk->next) {
        if (walk->next == item)
            return walk;
    }
    return nullptr;
}

// Whether item is in the list at head; previous is its predecessor (none at the head).
bool locate(Item* head, const Item* item, Item* from, Item*& previous) {
    previous = nullptr;
    if (item == nullptr)
        return false;
    if (head == item)
        return true;
    if (from != nullptr && from != item)
        previous = predecessorAfter(from, item);
    if (previous == nullptr)
        previous = predecessorAfter(head, item);
    return previous != nullptr;
}

} // namespace

bool unlinkItem(Compilation& c, Item*& head, Item* item, Item* from) {
    Item* previous = nullptr;
    if (!locate(head, item, from, previous)) {
        c.message(strprintf(
            "======== DELETE FAILURE!!! type = %d ival = %d name = %s cval = %s ====\n",
            item != nullptr ? item->kind : 0, item != nullptr ? item->ival : 0,
            item != nullptr ? item->name.c_str() : "", item != nullptr ? item->cval.c_str() : ""));
        return false;
    }
    if ((item->kind == IDENTIFIER || item->kind == LONG_IDENTIFIER) &&
        item->cval.starts_with("_tmp_"))
        freetmp(c, item->cval);
    (previous != nullptr ? previous->next : head) = item->next;
    item->next = nullptr;
    return true;
}

} // namespace kavo
