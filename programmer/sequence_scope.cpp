// ProgressWindow::show and RemainingTime: the texts the progress dialogs show.
#include "programmer/sequence_scope.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo::programmer {

void ProgressWindow::show(int address, int position) {
    host_.setProgressAddress(strprintf("%03X", address));
    host_.setProgressPosition(position);
}

RemainingTime::RemainingTime(int totalWords)
    : totalWords_(totalWords), start_(std::chrono::steady_clock::now()) {}

std::string RemainingTime::after(int wordsDone) const {
    using namespace std::chrono;
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start_).count();
    const long long left =
        wordsDone > 0 ? elapsed * (totalWords_ - wordsDone) / wordsDone / 1000 : 0;
    return strprintf("%02d:%02d", static_cast<int>(left / 60), static_cast<int>(left % 60));
}

} // namespace kavo::programmer
