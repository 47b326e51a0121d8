#pragma once
// The main window: header, search bar, the ten tabs, the stock-state legend and the news line;
// the start-up that logs in and starts the first loads; the general menu and the exit rule.

#include "app/customertype.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/dataset.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QUrl;

namespace velun {

class BusyIndicator;
class TForm1;
class TStokListesi;
class TSepet;
class TYeniStoklar;
class TKampanyaliStoklar;

// What a worker of a start-up task works with: copies taken on the user-interface thread when
// the task started, so the worker never reads the window's own record or connection.
struct StartupTaskContext
{
    QPointer<TForm1> form;                        // null once the window is gone
    std::shared_ptr<ServerConnection> connection; // a clone of bagc for this worker; steps clone it again
    TSonucBilgisi bilgi;                          // sbilgi as it was when the task started
};

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The start-up: login record, connection, login window, customer type, start-up tasks.
    // Called once after construction; ends the process when the login does not succeed.
    void FormCreate();
    // The user type's effect on the window; grids built later read customerTypeRules().
    void applyCustomerType();
    const CustomerTypeRules& customerTypeRules() const { return m_customerTypeRules; }

    // The three header labels from a login record (also after every change of customer).
    void writeHeader(const TSonucBilgisi& bilgi);

    // Steps of the start-up tasks, run on their worker threads.
    static void BannerREsimAl(StartupTaskContext& context);
    static void AnaBilgiAl(StartupTaskContext& context); // the header, written on the user-interface thread
    static void KayanYaziAl(StartupTaskContext& context);
    static void AcilisReklamAdetAl(StartupTaskContext& context);
    static void BalonYaz(StartupTaskContext& context);
    static void KurlariYaz(StartupTaskContext& context);
    // Completion of the second start-up task: the opening advertisements when the server has any.
    void acilisReklamlariGoster();

    void FormCloseQuery(bool& CanClose);
    void SpeedButton1Click(); // "Temizle"
    void SpeedButton2Click(); // "Ara"
    // Enter in the search box: the stock search connects to searchRequested.
    void araeditEnter();

    void M1Click();
    void N4Click();
    void websitesi1Click();
    void G1Click();
    // The mail window to the sales representative.
    void openMailWindow();

    // Run when a tab becomes the shown one, and when it stops being it; each tab's feature sets its own.
    using TabHook = std::function<void()>;
    void setShowHook(QWidget* tab, TabHook hook);
    void setHideHook(QWidget* tab, TabHook hook);

    // How web pages are opened; tests replace it so no browser starts. Returns the previous opener.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static UrlOpener setUrlOpener(UrlOpener opener);
    static bool openUrl(const QUrl& url);

    // State of the run.
    TSonucBilgisi sbilgi;
    ServerConnection bagc;
    int _acilisadet = 0;

    MemDataset stok;
    MemDataset sepet;
    MemDataset kargo;
    MemDataset ONCEKILER;
    MemDataset EKSTRE;
    MemDataset YENILER;
    MemDataset kampstok;
    MemDataset duyurular;
    MemDataset dosyatable;

    // The catalogue tab's search and grid.
    TStokListesi* stokListesi = nullptr;
    // The basket tab.
    TSepet* sepetSekmesi = nullptr;
    // The new-item and campaign tabs.
    TYeniStoklar* yeniStoklar = nullptr;
    TKampanyaliStoklar* kampanyaliStoklar = nullptr;

    // Header.
    QLabel* kullanicilbl = nullptr;
    QLabel* cariadilbl = nullptr;
    QLabel* saticilbl = nullptr;
    QLabel* RxGIFAnimator1 = nullptr;  // the banner area
    QToolButton* genelbuton = nullptr; // its drop-down part opens Genelmenu
    QMenu* Genelmenu = nullptr;
    QAction* M1 = nullptr;
    QAction* N4 = nullptr;
    QAction* websitesi1 = nullptr;
    QAction* G1 = nullptr;

    // Search bar.
    QLineEdit* araedit = nullptr;
    QToolButton* SpeedButton2 = nullptr; // "Ara"
    QToolButton* SpeedButton1 = nullptr; // "Temizle"
    QPushButton* musteritus = nullptr;
    BusyIndicator* gifstokara = nullptr;
    BusyIndicator* gifyeniler = nullptr;
    BusyIndicator* gifkampanyali = nullptr;
    BusyIndicator* gifduyuru = nullptr;
    BusyIndicator* gifoncekiler = nullptr;
    BusyIndicator* gifekstre = nullptr;
    BusyIndicator* gifdosyalar = nullptr;
    BusyIndicator* gifsanalpos = nullptr;
    QLabel* kurlabel = nullptr;

    // Tabs, in their order.
    QTabWidget* sPageControl1 = nullptr;
    QWidget* sstoklistesi = nullptr;
    QWidget* ssepet = nullptr;
    QWidget* sonceki = nullptr;
    QWidget* sccariekstre = nullptr;
    QWidget* syeniler = nullptr;
    QWidget* skampanyali = nullptr;
    QWidget* sTabSheetduyuru = nullptr;
    QWidget* sTabbakiyeler = nullptr;
    QWidget* skredikarti = nullptr;
    QWidget* tabdosyalar = nullptr;

    // Bottom bars.
    QWidget* durumPanel = nullptr; // the stock-state legend
    QWidget* kayanyaziPanel = nullptr;
    QWidget* kayanyazi = nullptr; // the news line; the notices feature puts its marquee here

signals:
    void customerTypeApplied(const velun::CustomerTypeRules& rules);
    void searchRequested();  // Enter in araedit, or "Ara"
    void stockListCleared(); // "Temizle": the stock grid drops its filter
    void startupCompleted(); // the second start-up task has finished

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildSearchBar();
    QWidget* buildPages();
    QWidget* buildLegend();
    QWidget* buildNewsLine();
    void buildMenu();
    void onCurrentTabChanged(int index);
    void startStartupTasks();
    StartupTaskContext startupContext();

    CustomerTypeRules m_customerTypeRules;
    QHash<QWidget*, TabHook> m_showHooks;
    QHash<QWidget*, TabHook> m_hideHooks;
    QPointer<QWidget> m_shownTab;
};

} // namespace velun
