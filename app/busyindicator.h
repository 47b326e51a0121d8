#pragma once
// The busy animation shown beside the search box while a tab loads: a painted spinner.

#include <QWidget>

class QTimer;

namespace velun {

class BusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);
    void start();   // shows and animates
    void stop();    // stops and hides
    bool isRunning() const;
    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QTimer* m_timer;
    int m_step = 0;
};

} // namespace velun
