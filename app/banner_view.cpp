#include "app/banner_view.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/later_commands.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/file_io.h"
#include "base/translate.h"
#include "net/banner.h"
#include "ui/shell_open.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

// The pictures live in a static library: their registration must be asked
// for by name, or the linker drops it.
static void InitBannerResources()
{
    Q_INIT_RESOURCE(kestrova);
}

namespace kestrova {

namespace {

const QString BannerName = QStringLiteral("Banner");

// A picture that opens the maker's site when clicked.
class ClickablePicture : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> Clicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && Clicked)
            Clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

void OpenBannerSite()
{
    ui::OpenAddress(BannerSiteAddress());
}

QImage ResourcePicture(const char* name)
{
    QFile file(QStringLiteral(":/banner/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return ui::CatchPicture(data.constData(), static_cast<std::size_t>(data.size()));
}

// The three gadgets in one container placed at the banner's corner; the
// container also paces the animation: a 10 ms tick stands for one pass of
// the main loop, and every third pass scrolls the strip.
class BannerGadgets : public QWidget {
public:
    explicit BannerGadgets(QWidget* parent) : QWidget(parent)
    {
        setObjectName(BannerName);
        const BannerPictureSet set = BannerPictures;

        auto* still = new ClickablePicture(this);
        still->setObjectName(QStringLiteral("BannerPicture"));
        still->setGeometry(0, 0, BannerStillWidth, BannerHeight);
        still->setPixmap(QPixmap::fromImage(ResourcePicture(set.Still)));
        still->setCursor(Qt::PointingHandCursor);
        still->Clicked = OpenBannerSite;

        auto* caption = new QPushButton(ui::Tr("Cliquez ici pour en savoir plus sur Tollamar !"), this);
        caption->setObjectName(QStringLiteral("BannerCaption"));
        caption->setGeometry(BannerCaptionX, BannerCaptionY, BannerStillWidth - 80, BannerCaptionHeight);
        caption->setFocusPolicy(Qt::NoFocus);
        QObject::connect(caption, &QPushButton::clicked, this, [] { OpenBannerSite(); });

        strip_ = ResourcePicture(set.Strip);
        stripView_ = new QLabel(this);
        stripView_->setObjectName(QStringLiteral("BannerStrip"));
        stripView_->setGeometry(BannerStillWidth + BannerStripGap, 0, BannerStripWidth, BannerHeight);
        ShowFrame();

        resize(BannerStillWidth + BannerStripGap + BannerStripWidth, BannerHeight);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (++passes_ == 3) {
                passes_ = 0;
                Step();
            }
        });
        timer_.start();
    }

    void Step()
    {
        if (strip_.isNull())
            return;
        offset_ = NextBannerOffset(offset_, strip_.height());
        ShowFrame();
    }

    int Offset() const { return offset_; }

private:
    void ShowFrame()
    {
        if (strip_.isNull())
            return;
        const QImage part = strip_.copy(0, offset_, BannerStripWidth, BannerStripSpan);
        stripView_->setPixmap(QPixmap::fromImage(
            part.scaled(BannerStripWidth, BannerHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }

    QImage strip_;
    QLabel* stripView_ = nullptr;
    QTimer timer_;
    int offset_ = 0;
    int passes_ = 0;
};

BannerGadgets* FindBanner(const MainWindow& window)
{
    QWidget* area = window.centralWidget();
    if (area == nullptr)
        return nullptr;
    return dynamic_cast<BannerGadgets*>(area->findChild<QWidget*>(BannerName, Qt::FindDirectChildrenOnly));
}

}  // namespace

int BannerX(const MainWindow&)
{
    return 10;
}

int BannerY(const MainWindow& window)
{
    const MainWindow::Layout layout = window.CurrentLayout();
    return layout.H - layout.BM + 20;
}

void CreateBannerGadgets(MainWindow& window)
{
    if (FindBanner(window) != nullptr || window.centralWidget() == nullptr)
        return;
    InitBannerResources();
    LoadBannerPictures();
    auto* banner = new BannerGadgets(window.centralWidget());
    banner->move(BannerX(window), BannerY(window));
    banner->show();
}

void RemoveBannerGadgets(MainWindow& window)
{
    delete FindBanner(window);
}

void PlaceBannerGadgets(MainWindow& window)
{
    if (BannerGadgets* banner = FindBanner(window))
        banner->move(BannerX(window), BannerY(window));
}

void ScrollBanner(MainWindow& window)
{
    if (BannerGadgets* banner = FindBanner(window))
        banner->Step();
}

int BannerOffset(const MainWindow& window)
{
    const BannerGadgets* banner = FindBanner(window);
    return banner ? banner->Offset() : -1;
}

QLabel* AnimatedPictureView(QWidget* parent, int x, int y, const std::string& colour, const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes) || bytes.empty())
        return nullptr;
    int width = 0;
    int height = 0;
    if (!ReadGifSize(bytes, width, height))
        return nullptr;
    // Colours are six hexadecimal digits; shorter ones ("0") are padded on
    // the left, as a number would be.
    std::string rgb = colour.substr(0, 6);
    rgb.insert(0, 6 - rgb.size(), '0');

    auto* view = new QLabel(parent);
    view->setObjectName(QStringLiteral("AnimatedPicture"));
    view->setGeometry(x, y, width, height);
    view->setStyleSheet(QStringLiteral("background-color: #%1;").arg(QString::fromLatin1(rgb.c_str())));
    auto* movie = new QMovie(ui::FromFileName(path), QByteArray(), view);
    view->setMovie(movie);
    movie->start();
    // It takes no clicks (a disabled label would paint the picture greyed).
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    return view;
}

}  // namespace kestrova
