#pragma once
// The order confirmation "Sipariş Onay": the summary in a fixed-pitch font, the overdue warning, Evet / Hayır.

#include <QDialog>

class QLabel;
class QPushButton;

namespace velun {

class TONAYSIP : public QDialog
{
    Q_OBJECT
public:
    explicit TONAYSIP(QWidget* owner);
    QLabel* Label2 = nullptr; // the summary
    QLabel* Label3 = nullptr; // the overdue warning
    QLabel* Label1 = nullptr; // the question
    QPushButton* evet = nullptr;
    QPushButton* hayir = nullptr;
};

} // namespace velun
