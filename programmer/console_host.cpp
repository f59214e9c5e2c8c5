// ConsoleProgrammerHost: what the drivers show, as lines on standard error.
#include "programmer/console_host.hpp"

#include <utility>

namespace kavo::programmer {

namespace {

const char* progressLabel(ProgressKind kind) {
    switch (kind) {
    case ProgressKind::Read:
        return "Reading";
    case ProgressKind::BlankCheck:
        return "Blank checking";
    case ProgressKind::Program:
        return "Programming";
    case ProgressKind::Verify:
        return "Verifying";
    }
    return "";
}

} // namespace

void ConsoleProgrammerHost::message(MessageIcon icon, const std::string& title,
                                    const std::string& text) {
    endProgressLine();
    out_ << "sxprog: " << (icon == MessageIcon::Error ? "error: " : "") << title << ": " << text
         << "\n";
}

void ConsoleProgrammerHost::setStatusText(const std::string& text) {
    endProgressLine();
    out_ << "sxprog: " << text << "\n";
}

void ConsoleProgrammerHost::openProgress(ProgressKind kind, int maximum) {
    endProgressLine();
    kind_ = kind;
    maximum_ = maximum > 0 ? maximum : 1;
    shownPercent_ = -1;
    address_.clear();
    remaining_.clear();
    verified_.clear();
}

// One line, rewritten in place as the percentage moves; in a log, one line a quarter.
void ConsoleProgrammerHost::setProgressPosition(int position) {
    const int percent = position * 100 / maximum_;
    const int shown = terminal_ ? percent : percent / 25 * 25;
    if (shown == shownPercent_)
        return;
    shownPercent_ = shown;
    out_ << (terminal_ ? "\r" : "") << progressLabel(kind_) << " " << address_ << " " << percent
         << "%";
    if (!remaining_.empty())
        out_ << " (" << remaining_ << " left)";
    if (terminal_) {
        out_ << "   " << std::flush;
        lineOpen_ = true;
    } else {
        out_ << "\n";
    }
}

void ConsoleProgrammerHost::finishProgress() {
    endProgressLine();
    if (kind_ != ProgressKind::Verify)
        return;
    const std::pair<VerifiedPart, const char*> parts[] = {{VerifiedPart::Device, "device word"},
                                                          {VerifiedPart::Memory, "program memory"},
                                                          {VerifiedPart::Fuse, "FUSE"},
                                                          {VerifiedPart::Fusex, "FUSEX"}};
    for (const auto& [part, name] : parts) {
        if (verified_.count(part) == 0)
            out_ << "sxprog: verify: " << name << " differs\n";
    }
}

void ConsoleProgrammerHost::endProgressLine() {
    if (lineOpen_)
        out_ << "\n";
    lineOpen_ = false;
}

} // namespace kavo::programmer
