/*
 * sim_messages.cpp: the thread's message queue on the simulated desktop,
 * and the modal loops of message boxes.
 *
 * Posted messages come back in order and the quit message only once the
 * queue is empty; while a playback hook is installed and nothing waits,
 * retrieval drives the hook on the virtual clock (sim_journal.cpp). Where
 * a real desktop would wait for a person, a message box answers from what
 * a test queued; its modal loop dispatches what is posted to windows, as
 * the system's does, and what a test has happen while the box is open
 * (another program, or the system, sending or posting to the program's
 * windows) is handled inside that loop. When nothing at all is left to
 * do, retrieval fails instead of blocking, so a run always ends.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cstring>
#include <deque>

namespace {

struct QueuedAnswer {
    int answer;
    std::function<void()> meanwhile;
};

struct SimMessages {
    std::deque<PlatformMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::deque<QueuedAnswer> answers;
    std::vector<SimMessageBox> boxes;
    void (*boxObserver)(const SimMessageBox*) = nullptr;
    WindowHandle cancelNoticeWindow = nullptr;
    int endedWith = -1;
};

SimMessages* messages = new SimMessages;

/* A loop that dispatches without end (a handler that posts to itself)
 * stops at the system's own limit of posted messages per queue. */
const int ModalLoopMessageLimit = 10000;

int FirstButton(uint32_t style) {
    uint32_t buttons = style & 0x0F;
    return buttons == BoxYesNo || buttons == BoxYesNoCancel ? AnswerYes : AnswerOk;
}

} // namespace

/* ---- Control ---- */

void SimResetMessages(void) {
    delete messages;
    messages = new SimMessages;
}

int SimMessageQueueLength(void) {
    return (int)messages->queue.size();
}

void SimQueueAnswer(int answer, std::function<void()> meanwhile) {
    messages->answers.push_back(QueuedAnswer{answer, std::move(meanwhile)});
}

const std::vector<SimMessageBox>& SimMessageBoxes(void) {
    return messages->boxes;
}

void SimClearMessageBoxes(void) {
    messages->boxes.clear();
}

void SimSetMessageBoxObserver(void (*observer)(const SimMessageBox* box)) {
    messages->boxObserver = observer;
}

int SimProcessEndedWith(void) {
    return messages->endedWith;
}

/* ---- Modal loops ---- */

void SimRunModalLoop(void) {
    std::deque<PlatformMessage>& queue = messages->queue;
    for (int handled = 0; handled < ModalLoopMessageLimit && !queue.empty(); handled++) {
        PlatformMessage message = queue.front();
        queue.pop_front();
        if (message.window != nullptr)
            PlatformTranslateAndDispatch(&message);
    }
}

/* The answer is taken when the box is shown, so boxes that messages
 * dispatched meanwhile open take the answers queued after it. */
static void ShowBox(const char* text, const char* caption, uint32_t style, int iconId,
                    int waitMilliseconds) {
    messages->boxes.push_back(SimMessageBox{text, caption, style, iconId, waitMilliseconds});
    if (messages->boxObserver != nullptr)
        messages->boxObserver(&messages->boxes.back());
}

static int AnswerBox(QueuedAnswer queued) {
    SimRunModalLoop();
    if (queued.meanwhile) {
        queued.meanwhile();
        SimRunModalLoop();
    }
    return queued.answer;
}

static bool TakeQueuedAnswer(QueuedAnswer* queued) {
    if (messages->answers.empty())
        return false;
    *queued = std::move(messages->answers.front());
    messages->answers.pop_front();
    return true;
}

int PlatformMessageBoxWithIcon(const char* text, const char* caption, uint32_t style, int iconId) {
    ShowBox(text, caption, style, iconId, 0);
    QueuedAnswer queued = {FirstButton(style), nullptr};
    TakeQueuedAnswer(&queued);
    return AnswerBox(std::move(queued));
}

/* Nobody there to answer: the time passes with the loop going on. */
int PlatformTimedMessageBox(const char* text, const char* caption, uint32_t style, int iconId,
                            int milliseconds, int answer, bool* closedItself) {
    ShowBox(text, caption, style, iconId, milliseconds > 0 ? milliseconds : 1);
    QueuedAnswer queued = {answer, nullptr};
    *closedItself = !TakeQueuedAnswer(&queued);
    if (*closedItself) {
        SimRunModalLoop();
        SimAdvanceClock((uint32_t)(milliseconds > 0 ? milliseconds : 1));
    }
    return AnswerBox(std::move(queued));
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t style) {
    return PlatformMessageBoxWithIcon(text, caption, style, 0);
}

/* ---- The queue ---- */

int PlatformGetMessage(PlatformMessage* message) {
    memset(message, 0, sizeof *message);
    SimDriveJournal();
    if (!messages->queue.empty()) {
        *message = messages->queue.front();
        messages->queue.pop_front();
        return 1;
    }
    if (messages->quitPosted) {
        messages->quitPosted = false;
        message->message = MsgQuit;
        message->wParam = (uintptr_t)messages->quitCode;
        return 0;
    }
    return -1;
}

/* The system's cancel notice is readdressed to the window named for it,
 * as the Windows side does for every loop that takes it. */
bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window != nullptr && !SimWindowIsLive(window))
        return false;
    if (window == nullptr && message == MsgCancelJournal &&
        SimWindowIsLive(messages->cancelNoticeWindow))
        window = messages->cancelNoticeWindow;
    PlatformMessage posted = {window, message, wParam, lParam, PlatformTickCount(), 0, 0};
    messages->queue.push_back(posted);
    return true;
}

void PlatformPostQuitMessage(int exitCode) {
    messages->quitPosted = true;
    messages->quitCode = exitCode;
}

void PlatformTranslateAndDispatch(const PlatformMessage* message) {
    PlatformSendMessage(message->window, message->message, message->wParam, message->lParam);
}

void PlatformSetCancelNoticeWindow(WindowHandle window) {
    messages->cancelNoticeWindow = window;
}

void SimPostCancelNotice(void) {
    PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0);
}

/* A test process goes on: the code is kept for the test to read, and the
 * quit message the destruction posted ends the loop. */
void PlatformEndProcess(int exitCode) {
    messages->endedWith = exitCode;
}
