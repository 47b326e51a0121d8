#include "app/placeholderwindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velun {

PlaceholderWindow::PlaceholderWindow(const QString& host, quint16 port, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("VELUN B2B Programı"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("VELUN B2B Programı\nSunucu: %1:%2").arg(host).arg(port), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    resize(480, 240);
}

} // namespace velun
