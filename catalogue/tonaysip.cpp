#include "catalogue/tonaysip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velun {

TONAYSIP::TONAYSIP(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Sipariş Onay"));
    setWindowFlags(windowFlags() | Qt::Tool);
    setFixedSize(527, 444);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(30, 10, 30, 12);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    fixed.setPixelSize(16);
    fixed.setBold(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(fixed);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true); // a long company name wraps instead of running off the window
    column->addWidget(Label2, 1);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(fixed);
    Label3->setWordWrap(true);
    QPalette red = Label3->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label3->setPalette(red);
    column->addWidget(Label3);
    Label1 = new QLabel(QStringLiteral("Yukarıda bilgileri verilen siparişi onaylıyor musunuz ?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big(QStringLiteral("Tahoma"));
    big.setPixelSize(20);
    big.setBold(true);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setFixedHeight(59);
    column->addWidget(Label1);
    auto* buttons = new QHBoxLayout;
    evet = new QPushButton(QStringLiteral("Evet"), this);
    evet->setObjectName(QStringLiteral("evet"));
    hayir = new QPushButton(QStringLiteral("Hayır"), this);
    hayir->setObjectName(QStringLiteral("hayir"));
    for (QPushButton* b : {evet, hayir})
        b->setMinimumSize(120, 40);
    buttons->addWidget(evet);
    buttons->addStretch(1);
    buttons->addWidget(hayir);
    column->addLayout(buttons);
    connect(evet, &QPushButton::clicked, this, &QDialog::accept);
    connect(hayir, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace velun
