// The editable view of the instruction list the rules work on (Code): a vector in list order
// over the whole list or one stretch of it, kept in step with the list through the list's own
// insertAfter and remove; the marks of words whose position is fixed (raw assembly, Virtual
// Peripheral code, computed jump tables); and what the words name (NameTally), so that a
// stretch can answer for the whole program.
#include "compiler/backend/optimiser.hpp"

namespace kavo::optimiser {

namespace {

// The program counter is written: the words after form a table entered by offset.
bool isComputedJump(const Instruction& i) {
    if (i.opcode == PIC_JMPW)
        return true;
    return i.operand == PcRegister &&
           (i.opcode == PIC_MOVWF || i.opcode == PIC_CLRF || i.opcode == PIC_BCF ||
            i.opcode == PIC_BSF || ((i.opcode <= PIC_XORWF) && i.dest == 1));
}

bool isTableEntry(const Instruction& i) {
    switch (i.opcode) {
    case PIC_GOTO:
    case PIC_RETLW:
    case PIC_RETURN:
    case PIC_RETP:
    case PIC_NOP:
    case PIC_PAGE:
    case PIC_BANK:
    case PIC_PROGLOC:
    case PIC_LABEL:
        return true;
    default:
        return false;
    }
}

// Words a skip passes together with the word it guards (selection words), and records that
// take no word at all: a skip before them still guards the next real word.
bool passedWithSkippedWord(const Instruction& i) {
    switch (i.opcode) {
    case PIC_PAGE:
    case PIC_BANK:
    case PIC_LABEL:
    case PIC_STRINGLOC:
    case PIC_SWEND:
    case PIC_RASMSTART:
    case PIC_RASMEND:
    case PIC_FUNCNAME:
    case PIC_FUNCARG:
        return true;
    default:
        return false;
    }
}

} // namespace

void NameTally::add(const NameTally& other, int sign) {
    for (auto counts : {&NameTally::uses, &NameTally::readTemporaries,
                        &NameTally::brokenTemporaries, &NameTally::readTemporaryBytes}) {
        for (const auto& [name, count] : other.*counts) {
            int& sum = (this->*counts)[name];
            sum += sign * count;
        }
    }
}

Code::Code(InstructionList& list, Stretch stretch, const NameTally* program)
    : list_(list), stretch_(stretch), program_(program) {
    refresh();
    if (program_ != nullptr)
        atStart_ = tally();
}

void Code::refresh() {
    labelsKnown_ = false;
    v_.clear();
    Instruction* first = stretch_.before != nullptr ? stretch_.before->next : list_.head();
    for (Instruction* i = first; i != stretch_.end; i = i->next)
        v_.push_back(i);
    fixed_.assign(v_.size(), false);
    int rawDepth = 0;
    bool vp = false;
    bool table = false;
    for (std::size_t k = 0; k < v_.size(); ++k) {
        const Instruction& i = *v_[k];
        if (i.opcode == PIC_RASMSTART)
            ++rawDepth;
        if (i.opcode == PIC_VPSTART)
            vp = true;
        table = table && isTableEntry(i);
        fixed_[k] = rawDepth > 0 || vp || table || i.opcode == PIC_RASMEND ||
                    i.opcode == PIC_VPDONE || isComputedJump(i);
        if (i.opcode == PIC_RASMEND && rawDepth > 0)
            --rawDepth;
        if (i.opcode == PIC_VPDONE)
            vp = false;
        if (isComputedJump(i))
            table = true;
    }
    findRunLocalTemporaries();
    readBytes_ = readTemporaryBytes();
}

void Code::findRunLocalTemporaries() {
    runLocal_.clear();
    std::set<std::string>& broken = broken_;
    broken.clear();
    std::set<std::pair<std::string, int>> storedInRun;
    for (std::size_t k = 0; k < v_.size(); ++k) {
        const Instruction& i = *v_[k];
        const Effects e = effectsOf(i);
        if (e.barrier || i.opcode == PIC_LABEL || fixed_[k])
            storedInRun.clear();
        if (!isTemporary(i.operand))
            continue;
        runLocal_.insert(i.operand);
        const bool byteOrBit = i.opcode >= PIC_ADDWF && i.opcode <= PIC_BTFSS;
        const auto byte = std::make_pair(i.operand, i.offset);
        if (!byteOrBit || e.barrier || fixed_[k] ||
            ((e.readsRegister || e.readsEveryRegister) && storedInRun.count(byte) == 0))
            broken.insert(i.operand);
        const bool store = i.opcode == PIC_MOVWF || i.opcode == PIC_CLRF;
        if (store && !guarded(k))
            storedInRun.insert(byte);
    }
    for (const std::string& name : broken)
        runLocal_.erase(name);
}

NameTally Code::tally() const {
    NameTally t;
    for (const Instruction* i : v_) {
        if (!i->operand.empty())
            ++t.uses[i->operand];
    }
    t.readTemporaries = readTemporaries();
    for (const std::string& name : broken_)
        t.brokenTemporaries[name] = 1;
    t.readTemporaryBytes = readTemporaryBytes();
    return t;
}

namespace {

constexpr const char* EveryRegister = "*";

std::string byteKey(const Instruction& i) {
    return i.operand + "+" + std::to_string(i.offset);
}

// What readTemporaries counts as a read: anything but a plain store.
bool readsTemporary(const Instruction& i) {
    const bool onlyWrites = i.opcode == PIC_MOVWF || i.opcode == PIC_CLRF;
    return isTemporary(i.operand) && (!onlyWrites || effectsOf(i).barrier);
}

} // namespace

NameCounts Code::readTemporaryBytes() const {
    NameCounts read;
    for (const Instruction* i : v_) {
        if (effectsOf(*i).readsEveryRegister)
            ++read[EveryRegister];
        if (readsTemporary(*i))
            ++read[byteKey(*i)];
    }
    return read;
}

bool Code::neverRead(const Instruction& temporaryByte) const {
    const NameCounts& here = readBytes_;
    const auto count = [&](const NameCounts& counts, const std::string& key) {
        const auto found = counts.find(key);
        return found != counts.end() ? found->second : 0;
    };
    for (const std::string& key : {byteKey(temporaryByte), std::string(EveryRegister)}) {
        if (count(here, key) != 0 || outside(&NameTally::readTemporaryBytes, key) != 0)
            return false;
    }
    return true;
}

NameCounts Code::readTemporaries() const {
    NameCounts read;
    for (const Instruction* i : v_) {
        if (readsTemporary(*i))
            ++read[i->operand];
    }
    return read;
}

int Code::outside(NameCounts NameTally::*counts, const std::string& name) const {
    if (program_ == nullptr)
        return 0;
    const auto count = [&](const NameTally& t) {
        const auto found = (t.*counts).find(name);
        return found != (t.*counts).end() ? found->second : 0;
    };
    return count(*program_) - count(atStart_);
}

void Code::erase(std::size_t k) {
    labelsKnown_ = false;
    list_.remove(k > 0 ? v_[k - 1] : stretch_.before, v_[k]);
    v_.erase(v_.begin() + static_cast<std::ptrdiff_t>(k));
    fixed_.erase(fixed_.begin() + static_cast<std::ptrdiff_t>(k));
}

Instruction* Code::insertBefore(std::size_t k, const Instruction& like, int opcode,
                                const std::string& operand, int dest) {
    labelsKnown_ = false;
    Instruction* made = list_.make();
    made->opcode = opcode;
    made->operand = operand;
    made->dest = dest;
    made->line = like.line;
    made->file = like.file;
    made->scope = like.scope;
    list_.insertAfter(k > 0 ? v_[k - 1] : stretch_.before, made);
    v_.insert(v_.begin() + static_cast<std::ptrdiff_t>(k), made);
    fixed_.insert(fixed_.begin() + static_cast<std::ptrdiff_t>(k), false);
    return made;
}

bool Code::guarded(std::size_t k) const {
    while (k > 0) {
        const Instruction& before = *v_[k - 1];
        if (isSkip(before))
            return true;
        if (!passedWithSkippedWord(before))
            return false;
        --k;
    }
    return false;
}

int usesOf(const Code& code, const std::string& name) {
    int uses = code.usesOutside(name);
    for (std::size_t k = 0; k < code.size(); ++k)
        uses += code.at(k)->operand == name ? 1 : 0;
    return uses;
}

std::optional<std::size_t> Code::labelPosition(const std::string& name) const {
    if (!labelsKnown_) {
        labels_.clear();
        for (std::size_t k = 0; k < v_.size(); ++k) {
            if (v_[k]->opcode == PIC_LABEL)
                labels_.emplace(v_[k]->operand, k);
        }
        labelsKnown_ = true;
    }
    const auto found = labels_.find(name);
    if (found == labels_.end())
        return std::nullopt;
    return found->second;
}

} // namespace kavo::optimiser
