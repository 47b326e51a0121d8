#pragma once
// The application object: the default error handler of every event and the connection-failure message.

#include "server/connectwithretry.h"

#include <QApplication>

namespace velun {

class VelunApplication : public QApplication
{
    Q_OBJECT
public:
    VelunApplication(int& argc, char** argv);
    ~VelunApplication() override;

    // An error escaping an event handler is shown in an error box; the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The text an error box shows for an error that is not a std::exception.
    static QString unknownErrorText();

private:
    ConnectionFailureReporter m_previousReporter;
};

} // namespace velun
