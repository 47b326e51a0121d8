#include "login/tdosyaindir.h"

#include "app/clientconfig.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velun {

Tdosyaindir::Tdosyaindir(QWidget* owner, int serverVersion) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Dosya İndir"));
    setFixedSize(543, 309);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("VELUN B2B Programının %1 sürümü yayınlandı (bu bilgisayardaki sürüm %2).\n\n"
                                           "Otomatik güncelleme bu sürümde yok; yeni sürümü lütfen distribütörünüzden isteyin.")
                                .arg(serverVersion)
                                .arg(config::kClientVersion),
                            this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    QFont f = text->font();
    f.setPixelSize(17);
    text->setFont(f);
    layout->addWidget(text, 1);
    auto* ok = new QPushButton(QStringLiteral("Tamam"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

} // namespace velun
