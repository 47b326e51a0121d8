#include "tests/support/guitest.h"

#include "platform/processend.h"
#include "tests/support/testserver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>

namespace velun::test {

MessageDialogRecorder::MessageDialogRecorder()
{
    m_previous = setMessageDialogHook([this](const MessageDialogRequest& r) { return answer(r); });
}

MessageDialogRecorder::~MessageDialogRecorder()
{
    setMessageDialogHook(m_previous);
}

std::optional<TMsgDlgBtn> MessageDialogRecorder::answer(const MessageDialogRequest& request)
{
    QMutexLocker lock(&m_mutex);
    m_requests.push_back(request);
    if (m_showReal)
        return std::nullopt;
    if (m_answers.isEmpty())
        return request.defaultButton;
    const TMsgDlgBtn next = m_answers.takeFirst();
    if (!request.buttons.contains(next))
        qWarning("MessageDialogRecorder: answer %d is not a button of \"%s\"", static_cast<int>(next),
                 qPrintable(request.text));
    return next;
}

void MessageDialogRecorder::answerNext(TMsgDlgBtn answer)
{
    QMutexLocker lock(&m_mutex);
    m_answers.push_back(answer);
}

QList<MessageDialogRequest> MessageDialogRecorder::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

qsizetype MessageDialogRecorder::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests.size();
}

MessageDialogRequest MessageDialogRecorder::last() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests.isEmpty() ? MessageDialogRequest{} : m_requests.back();
}

QStringList MessageDialogRecorder::texts() const
{
    QMutexLocker lock(&m_mutex);
    QStringList texts;
    for (const MessageDialogRequest& r : m_requests)
        texts.push_back(r.text);
    return texts;
}

void MessageDialogRecorder::clear()
{
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
    m_answers.clear();
}

bool MessageDialogRecorder::waitForCount(qsizetype n, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return count() >= n; }, timeoutMs);
}

EndProcessRecorder::EndProcessRecorder()
{
    m_previous = platform::setEndProcessHook([this](int code) {
        QMutexLocker lock(&m_mutex);
        m_codes.push_back(code);
    });
}

EndProcessRecorder::~EndProcessRecorder()
{
    platform::setEndProcessHook(m_previous);
}

bool EndProcessRecorder::ended() const
{
    QMutexLocker lock(&m_mutex);
    return !m_codes.isEmpty();
}

QList<int> EndProcessRecorder::codes() const
{
    QMutexLocker lock(&m_mutex);
    return m_codes;
}

bool EndProcessRecorder::waitForEnd(int timeoutMs) const
{
    return QTest::qWaitFor([&] { return ended(); }, timeoutMs);
}

namespace {

QList<QPointer<QWidget>> openModals()
{
    QList<QPointer<QWidget>> modals;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isModal())
            modals.push_back(w);
    }
    return modals;
}

// Polls for modal windows from the event loop, which also runs inside every exec().
class ModalWatcher : public QObject
{
public:
    explicit ModalWatcher(QObject* parent) : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::tick);
    }

    void add(std::function<void(QWidget*)> fn, int timeoutMs)
    {
        m_handlers.push_back({std::move(fn), QDeadlineTimer(timeoutMs), openModals()});
        m_timer.start();
    }

    int pending() const { return static_cast<int>(m_handlers.size()); }
    void dropAll()
    {
        m_handlers.clear();
        m_timer.stop();
    }

private:
    struct Handler
    {
        std::function<void(QWidget*)> fn;
        QDeadlineTimer deadline;
        QList<QPointer<QWidget>> ignore; // open before the handler asked, or handled by the one before
    };

    void tick()
    {
        if (m_handlers.empty()) {
            m_timer.stop();
            return;
        }
        Handler& head = m_handlers.front();
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && !head.ignore.contains(modal)) {
            std::function<void(QWidget*)> fn = std::move(head.fn);
            m_handlers.pop_front();
            if (!m_handlers.empty())
                m_handlers.front().ignore.push_back(modal);
            fn(modal);
            return;
        }
        if (head.deadline.hasExpired()) {
            qWarning("onNextModal: no modal window came; the handler is dropped");
            m_handlers.pop_front();
        }
    }

    QTimer m_timer;
    std::deque<Handler> m_handlers;
};

ModalWatcher* watcher()
{
    static QPointer<ModalWatcher> instance;
    if (!instance)
        instance = new ModalWatcher(QCoreApplication::instance());
    return instance;
}

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

} // namespace

void onNextModal(std::function<void(QWidget*)> fn, int timeoutMs)
{
    watcher()->add(std::move(fn), timeoutMs);
}

int pendingModalHandlers()
{
    return watcher()->pending();
}

void dropAllModalHandlers()
{
    watcher()->dropAll();
}

QAbstractButton* findButton(QWidget* root, const QString& text)
{
    if (!root)
        return nullptr;
    QList<QAbstractButton*> buttons = root->findChildren<QAbstractButton*>();
    if (auto* self = qobject_cast<QAbstractButton*>(root))
        buttons.prepend(self);
    for (QAbstractButton* b : std::as_const(buttons)) {
        if (b->isVisible() && withoutMnemonic(b->text()) == text)
            return b;
    }
    return nullptr;
}

bool clickButton(QWidget* root, const QString& text)
{
    QAbstractButton* b = findButton(root, text);
    if (!b)
        return false;
    b->click();
    return true;
}

QString saveScreenshot(QWidget* widget, const QString& name)
{
    if (!widget)
        return {};
    const QString path = QDir(artifactsDir()).filePath(name + QStringLiteral(".png"));
    QCoreApplication::processEvents(); // children added to shown layouts appear on the next pass
    if (!widget->grab().save(path))
        qWarning("saveScreenshot: could not write %s", qPrintable(path));
    return path;
}

} // namespace velun::test
