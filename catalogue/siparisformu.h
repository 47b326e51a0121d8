#pragma once
// The order form of the basket tab: delivery option, cargo kind and firm with its warning, the
// message, and "Gönder" with its four checks, the confirmation and the save.

#include <QObject>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace velun {

class TForm1;
class TSepet;

class TSiparisFormu : public QObject
{
    Q_OBJECT
public:
    TSiparisFormu(TForm1& form, TSepet& sepet, QWidget* panel, QPushButton* gonder);

    QGroupBox* teslimbox = nullptr;
    QButtonGroup* teslimSecenekleri = nullptr; // ids are the options' identifiers
    QGroupBox* boxkargo = nullptr;
    QButtonGroup* kargoTurleri = nullptr;
    QComboBox* kargocombo = nullptr;
    QLabel* uyarikargo = nullptr;
    QPlainTextEdit* aciklamagir = nullptr;
    QPushButton* Button1 = nullptr;

    void LoadDeliveryAndCargo();
    void boxkargoClick();
    void kargocomboChange();
    void Button1Click();

private:
    void clearGroup(QGroupBox* box, QButtonGroup* group);
    TForm1& m_form;
    TSepet& m_sepet;
};

} // namespace velun
