#pragma once
// A plain window that says which server the client is set up for; the main window replaces it.

#include <QWidget>

namespace velun {

class PlaceholderWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PlaceholderWindow(const QString& host, quint16 port, QWidget* parent = nullptr);
};

} // namespace velun
