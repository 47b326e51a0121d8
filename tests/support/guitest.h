#pragma once
// Driving the real windows in tests: message boxes answered from a queue, the process end seen
// instead of suffered, modal windows handled while the code under test waits in exec(), screenshots.

#include "app/utils.h"
#include "platform/processend.h"

#include <QList>
#include <QMutex>
#include <QString>

#include <functional>
#include <optional>

class QAbstractButton;
class QWidget;

namespace velun::test {

// Answers every message dialog while it lives (and restores the previous hook after).
// Each request takes the next queued answer, else its own default button.
class MessageDialogRecorder
{
public:
    MessageDialogRecorder();
    ~MessageDialogRecorder();
    MessageDialogRecorder(const MessageDialogRecorder&) = delete;
    MessageDialogRecorder& operator=(const MessageDialogRecorder&) = delete;

    void answerNext(TMsgDlgBtn answer);
    // The next requests are shown as real boxes (to be handled with onNextModal), recorded all the same.
    void showRealBoxes(bool show) { m_showReal = show; }

    QList<MessageDialogRequest> requests() const;
    qsizetype count() const;
    MessageDialogRequest last() const; // an empty request when none came
    QStringList texts() const;
    void clear();
    // Processes events until count() reaches n; false after timeoutMs.
    bool waitForCount(qsizetype n, int timeoutMs = 20000) const;

private:
    std::optional<TMsgDlgBtn> answer(const MessageDialogRequest& request);

    mutable QMutex m_mutex;
    QList<MessageDialogRequest> m_requests;
    QList<TMsgDlgBtn> m_answers;
    bool m_showReal = false;
    MessageDialogHook m_previous;
};

// Records the ends of the process while it lives; the caller of EndProcess returns instead.
class EndProcessRecorder
{
public:
    EndProcessRecorder();
    ~EndProcessRecorder();
    EndProcessRecorder(const EndProcessRecorder&) = delete;
    EndProcessRecorder& operator=(const EndProcessRecorder&) = delete;

    bool ended() const;
    QList<int> codes() const;
    bool waitForEnd(int timeoutMs = 20000) const;

private:
    mutable QMutex m_mutex;
    QList<int> m_codes;
    platform::EndProcessHook m_previous;
};

// Runs fn on the next modal window that opens (one not already open now), from a timer, so it works
// while the code under test is blocked in that window's exec(). Handlers queue up in call order.
// A handler whose window has not come within timeoutMs is dropped with a warning.
void onNextModal(std::function<void(QWidget*)> fn, int timeoutMs = 20000);
// Handlers still waiting for their window; dropAllModalHandlers() forgets them.
int pendingModalHandlers();
void dropAllModalHandlers();

// The visible button of root (or its children) showing exactly this text, or nullptr.
QAbstractButton* findButton(QWidget* root, const QString& text);
// Clicks that button; false when there is none.
bool clickButton(QWidget* root, const QString& text);

// Saves widget's picture as test::artifactsDir()/name.png for a person to look at; returns the path.
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace velun::test
