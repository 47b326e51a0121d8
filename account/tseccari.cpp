#include "account/tseccari.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velun {

Tseccari::Tseccari(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Cari Seçimi"));
    resize(520, 220);
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    layout->addWidget(m_text, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Tamam"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("tamam"));
    buttons->addButton(QStringLiteral("Vazgeç"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("vazgec"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void Tseccari::prepare()
{
    m_text->setText(QStringLiteral("Çalışılacak cari: %1 (%2)\n\nBaşka bir cari seçmek bu sürümde henüz yok.")
                        .arg(bilgim ? bilgim->CariAdi() : QString(), bilgim ? bilgim->carikod() : QString()));
}

} // namespace velun
