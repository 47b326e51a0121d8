#pragma once
// The update window: opened by the login when the server names another client version.
// This build tells the user a new version exists; downloading and installing it is not offered yet.

#include <QDialog>

namespace velun {

class Tdosyaindir : public QDialog
{
    Q_OBJECT
public:
    Tdosyaindir(QWidget* owner, int serverVersion);
};

} // namespace velun
