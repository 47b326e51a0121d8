#include "app/velunapplication.h"

#include "app/utils.h"
#include "server/errors.h"

#include <exception>

namespace velun {
namespace {

void showError(const QString& text)
{
    ShowMessageDialog(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
}

} // namespace

VelunApplication::VelunApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // ShowMessageDialog itself hands a worker's message to this thread and waits for the answer.
    m_previousReporter = setConnectionFailureReporter([](const QString& message) { showError(message); });
}

VelunApplication::~VelunApplication()
{
    setConnectionFailureReporter(m_previousReporter);
}

QString VelunApplication::unknownErrorText()
{
    return QStringLiteral("Beklenmeyen bir hata oluştu.");
}

bool VelunApplication::notify(QObject* receiver, QEvent* event)
{
    // Qt lets no exception through its event loop; this is the last place one can be caught.
    try {
        return QApplication::notify(receiver, event);
    } catch (const VelunError& e) {
        showError(e.message());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(unknownErrorText());
    }
    return false;
}

} // namespace velun
