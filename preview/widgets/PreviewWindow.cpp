#include "preview/widgets/PreviewWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "commands/FolderRules.h"
#include "base/Prompts.h"
#include "media/Ani.h"
#include "media/EmsPicture.h"
#include "media/Melody.h"
#include "media/Picture.h"
#include "session/PhoneSession.h"
#include "phonefs/Tree.h"
#include "preview/SmafEngine.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr const char* kForm = "TPlayForm";

QString Cap(std::string_view control) {
    return QString::fromStdString(Caption(kForm, control));
}
QString M(int number) {
    return QString::fromStdString(Msg(number));
}
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The lower-cased extension of a name, from its last dot on ("" without one).
std::string LowerExtension(const std::string& name) {
    const std::string file = media::FileNamePart(name);
    const size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : LowerAscii(file.substr(dot));
}

bool Has(const std::string& s, const char* needle) {
    return s.find(needle) != std::string::npos;
}

void RemoveFile(const std::string& path) {
    QFile::remove(Q(path));
}

enum class Glyph { Previous, Play, Stop, Next };

// The desktop's icon when its theme has one; otherwise a plain drawn glyph.
QIcon GlyphIcon(Glyph glyph) {
    static const char* const kThemeNames[] = {"media-skip-backward", "media-playback-start",
                                              "media-playback-stop", "media-skip-forward"};
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(kThemeNames[int(glyph)]));
    if (!themed.isNull()) return themed;

    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    auto triangle = [&p](qreal left, qreal right) {
        QPainterPath path;
        path.moveTo(left, 3);
        path.lineTo(right, 8);
        path.lineTo(left, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (glyph) {
        case Glyph::Play:
            triangle(4, 13);
            break;
        case Glyph::Stop:
            p.drawRect(QRectF(4, 4, 8, 8));
            break;
        case Glyph::Next:
            triangle(2, 10);
            p.drawRect(QRectF(11, 3, 2, 10));
            break;
        case Glyph::Previous:
            triangle(14, 6);
            p.drawRect(QRectF(3, 3, 2, 10));
            break;
    }
    p.end();
    return QIcon(pixmap);
}

// PlayList draws its own items: the current entry red, every other navy.
class PlayListDelegate final : public QStyledItemDelegate {
public:
    explicit PlayListDelegate(const PreviewWindow* form, QObject* parent)
        : QStyledItemDelegate(parent), m_form(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.color(QPalette::Highlight).lighter(160));
        const bool current = index.row() == m_form->PlayIndex;
        painter->setPen(current ? QColor(255, 0, 0) : QColor(0, 0, 128));
        const QRect text = option.rect.adjusted(2, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    const PreviewWindow* m_form;
};

QToolButton* GlyphButton(const char* name, Glyph glyph, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(QString::fromLatin1(name));
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(32, 25);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

// ---- the picture box ---------------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 128);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PictureBox::SetPicture(const QImage& picture) {
    m_picture = picture;
    m_note.clear();
    update();
}

void PictureBox::SetNote(const QString& note) {
    m_picture = QImage();
    m_note = note;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    if (!m_note.isEmpty()) {
        p.setPen(palette().color(QPalette::Text));
        p.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, m_note);
    }
    if (m_picture.isNull()) return;
    const QSize fitted = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_picture);
}

// ---- the window ----------------------------------------------------------------------------

PreviewWindow::PreviewWindow(QWidget* parent)
    : QDialog(parent), m_tempFileName(q7k3::TempFileName()) {
    setObjectName(kForm);
    setWindowTitle(Cap(""));

    PlayBtn = GlyphButton("PlayBtn", Glyph::Play, this);
    StopBtn = GlyphButton("StopBtn", Glyph::Stop, this);
    NextBtn = GlyphButton("NextBtn", Glyph::Next, this);
    PrevBtn = GlyphButton("PrevBtn", Glyph::Previous, this);
    PictureArea = new PictureBox(this);
    PictureArea->setObjectName("Image1");
    PlayStatus = new QLabel(Cap("PlayStatus"), this);
    PlayStatus->setObjectName("PlayStatus");
    FileNameLine = new QLabel(this);
    FileNameLine->setObjectName("PlayFileName1");
    FileNameLine->setTextFormat(Qt::PlainText);
    FileNameLine->setFrameShape(QFrame::StyledPanel);
    FileNameLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    PlayList = new QTreeWidget(this);
    PlayList->setObjectName("PlayList");
    PlayList->setAccessibleName(QStringLiteral("PlayList"));
    PlayList->setColumnCount(1);
    PlayList->setHeaderLabels({Cap("PlayList.0")});
    PlayList->setColumnWidth(0, 250);
    PlayList->setFixedWidth(250 + 6);
    PlayList->setRootIsDecorated(false);
    PlayList->setSelectionMode(QAbstractItemView::SingleSelection);
    PlayList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PlayList->header()->setSectionsClickable(false);
    PlayList->setToolTip(Cap("PlayList.hint"));
    PlayList->setItemDelegate(new PlayListDelegate(this, PlayList));

    // Left: the picture, its name and the buttons (previous, play, stop, next); right: the
    // list; under both the status, whose line ("Чтение " and a name) takes the whole width.
    // The layout keeps every part inside the window, which is never smaller than it needs.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QToolButton* b : {PrevBtn, PlayBtn, StopBtn, NextBtn}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(PictureArea, 1);
    left->addWidget(FileNameLine);
    left->addLayout(buttons);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(PlayList);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top, 1);
    layout->addWidget(PlayStatus);
    resize(QSize(488, 295).expandedTo(minimumSizeHint()));

    connect(PlayBtn, &QToolButton::clicked, this, [this] { PlayBtnClick(); });
    connect(StopBtn, &QToolButton::clicked, this, [this] { StopBtnClick(); });
    connect(NextBtn, &QToolButton::clicked, this, [this] { NextBtnClick(); });
    connect(PrevBtn, &QToolButton::clicked, this, [this] { PrevBtnClick(); });
    connect(PlayList, &QTreeWidget::itemDoubleClicked, this, [this] { PlayListDblClick(); });
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::Attach(PhoneSession* session, Prompts* prompts) {
    m_session = session;
    m_prompts = prompts;
}

int PreviewWindow::ShowFiles(const std::vector<std::string>& files, bool computerPane) {
    PlayFiles = files;
    ComputerPaneActive = computerPane;
    PlayList->clear();
    for (const std::string& entry : PlayFiles) {
        // A phone name is taken whole, a local path by its last component.
        const std::string caption = computerPane ? media::FileNamePart(entry) : entry;
        new QTreeWidgetItem(PlayList, QStringList{Q(caption)});
    }
    PlayIndex = 1;
    m_fetchedIndex = -1;
    PlayStatus->setText(Cap("PlayStatus"));
    FileNameLine->clear();
    PictureArea->SetPicture(QImage());
    m_skipNextActivation = false;
    const Tree4* folder = !computerPane && m_session ? m_session->CurrentFolder() : nullptr;
    m_place = PlaceOf(folder);
    m_folderName = folder ? folder->Name : std::string();
    m_animations = KindOf(folder) == FolderKind::Animations;
    m_emsFolder = folder && folder->Name == "sms" && folder->Parent;
    if (QWidget* main = parentWidget()) {
        const QRect area = main->window()->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    const int result = exec();
    PlayFiles.clear();
    m_fetchedIndex = -1;
    RemoveFile(m_tempFileName);
    return result;
}

bool PreviewWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        // Activation steps back one entry; the first one so lands on the first entry.
        if (m_inOwnBox) {
            m_skipNextActivation = true;
        } else if (m_skipNextActivation) {
            m_skipNextActivation = false;
        } else if (isVisible() && isEnabled()) {
            // (Not while an entry is on its way: the window steps when it has come.)
            PrevBtnClick();
        }
    }
    return QDialog::event(event);
}

void PreviewWindow::PrevBtnClick() {
    if (PlayIndex > 0) MoveTo(PlayIndex - 1);
}

void PreviewWindow::NextBtnClick() {
    if (PlayIndex < static_cast<int>(PlayFiles.size()) - 1) MoveTo(PlayIndex + 1);
}

void PreviewWindow::PlayListDblClick() {
    QTreeWidgetItem* item = PlayList->currentItem();
    if (!item || !item->isSelected()) return;
    const int k = PlayList->indexOfTopLevelItem(item);
    if (k < 0 || k == PlayIndex) return;
    MoveTo(k);
}

void PreviewWindow::MoveTo(int k) {
    if (k < 0 || k >= static_cast<int>(PlayFiles.size())) return;
    SmafStop();
    PlayIndex = k;
    PlayList->viewport()->update();
    if (ComputerPaneActive) {
        ShowViewing(k);
        PlayBtnClick();
        return;
    }
    // The phone busy with the keep-alive: the entry is fetched right after it. Busy with
    // anything else: nothing now and nothing said (the phone is not lost).
    if (m_session && m_session->Admit() == Admission::Busy) {
        m_session->AfterPing([this, k] {
            if (isVisible() && k == PlayIndex) MoveTo(k);
        });
        return;
    }
    const std::string& entry = PlayFiles[static_cast<size_t>(k)];
    PlayStatus->setText(M(kMsgReading) + Q(entry) + QStringLiteral("..."));
    // Nothing of the window is pressed again while the entry is on its way.
    setEnabled(false);
    const bool taken = FetchPhoneEntry(entry, [this, k](bool fetched) {
        setEnabled(true);
        if (!fetched) {
            ShowLostLink();
            return;
        }
        // The user may have gone on meanwhile: only the entry still current is shown.
        if (k != PlayIndex) return;
        ShowViewing(k);
        PlayBtnClick();
    });
    if (!taken) {
        setEnabled(true);
        ShowLostLink();
    }
}

void PreviewWindow::ShowViewing(int k) {
    PlayStatus->setText(M(kMsgViewing) + QString::number(k + 1) + QLatin1Char('/') +
                        QString::number(PlayFiles.size()));
    PlayList->viewport()->update();
}

bool PreviewWindow::FetchPhoneEntry(const std::string& name, std::function<void(bool)> then) {
    // A failed fetch must not leave an earlier entry's bytes to be shown under this name.
    m_fetchedIndex = -1;
    RemoveFile(m_tempFileName);
    if (!m_session || !m_session->PhoneReady()) return false;
    auto fetched = std::make_shared<bool>(false);
    BusyView view;
    view.ShowProgress = false;
    const int index = PlayIndex;
    return m_session->Run(
        view,
        [place = m_place, name, temp = m_tempFileName, fetched](PhoneFs& fs) {
            // The folder is looked up afresh: the tree may have been read anew meanwhile.
            const Tree4* folder = FindPlace(fs.PhoneRoot(), place);
            const FileEntry* entry = folder ? FindFile(folder, name) : nullptr;
            if (!entry) return Outcome::Stopped;
            *fetched = fs.ChangeFolder(folder->Id) &&
                       fs.ReadPhoneFile(temp, entry->Name, entry->Date, entry->Size);
            // The preview words a failure itself; the link's own report is not run.
            return Outcome::Stopped;
        },
        [this, fetched, index, then = std::move(then)](Outcome) {
            // The window was closed meanwhile: nothing more to show or say.
            if (!isVisible()) {
                setEnabled(true);
                return;
            }
            if (*fetched) m_fetchedIndex = index;
            then(*fetched);
        });
}

void PreviewWindow::ShowLostLink() {
    // Every move whose entry did not come says so, and the status no longer claims a read.
    PlayStatus->setText(M(kMsgLostLink));
    if (!m_prompts) return;
    m_inOwnBox = true;
    m_prompts->MessageBox(Msg(kMsgLostLink), Msg(kMsgErrorCaption), BoxIcon::None);
    m_inOwnBox = false;
}

void PreviewWindow::PlayBtnClick() {
    if (PlayIndex < 0 || PlayIndex >= static_cast<int>(PlayFiles.size())) return;
    const std::string& entry = PlayFiles[static_cast<size_t>(PlayIndex)];
    FileNameLine->setText(Q(entry));
    if (SmafPlaying()) return;
    const std::string ext = LowerExtension(entry);
    if (ComputerPaneActive)
        PlayComputerEntry(entry, ext);
    else if (m_fetchedIndex == PlayIndex)
        PlayPhoneEntry(entry, ext);
}

void PreviewWindow::PlayComputerEntry(const std::string& entry, const std::string& ext) {
    if (Has(ext, ".gif")) {
        // A GIF that does not load shows nothing, not the picture before it.
        GifPicture gif;
        const bool loaded = LoadGifFile(entry, gif) && !gif.Screen.isNull();
        if (loaded) m_lastPicturePath = entry;
        PictureArea->SetPicture(loaded ? gif.Screen : QImage());
        FileNameLine->setText(Q(media::FileNamePart(entry)));
        return;
    }
    std::string path = entry;
    if (Has(ext, ".mel")) {
        // The title block goes; what remains is a SMAF melody.
        if (ConvertMELtoMMF(entry, m_tempFileName, true)) path = m_tempFileName;
    }
    if (!ShowPicture(path)) {
        PlayMelody(path);
        FileNameLine->setText(Q(media::FileNamePart(entry)));
    }
}

void PreviewWindow::PlayPhoneEntry(const std::string& entry, const std::string& ext) {
    // The fetched file stays as it came from the phone, so that Play can start again from
    // it: every conversion writes a file of its own beside it, removed once used.
    const std::string& fetched = m_tempFileName;
    std::string path = fetched;
    if (Has(ext, ".jpg")) {
        // The picture loader chooses its decoder by the extension.
        path = fetched + ".jpg";
        RemoveFile(path);
        if (!QFile::copy(Q(fetched), Q(path))) return;
    } else if (Has(ext, ".gif")) {
        GifPicture gif;
        const bool loaded = LoadGifFile(fetched, gif) && !gif.Screen.isNull();
        if (loaded) m_lastPicturePath = fetched;
        PictureArea->SetPicture(loaded ? gif.Screen : QImage());
        FileNameLine->setText(Q(entry));
        return;
    }
    if (Has(ext, ".ani") && m_animations) {
        path = fetched + ".bmp";
        if (!ConvertANItoBMP(fetched, path, AniWidthFor(entry))) path = fetched;
    } else if (Has(ext, ".mel")) {
        path = fetched + ".mmf";
        if (!ConvertMELtoMMF(fetched, path, true)) path = fetched;
    } else if (Has(ext, ".ani") && m_emsFolder) {
        path = fetched + ".bmp";
        if (!ConvertEMStoBMP(fetched, path)) path = fetched;
    }
    if (!ShowPicture(path)) {
        // The player reads the melody whole when it starts.
        PlayMelody(path);
        FileNameLine->setText(Q(entry));
    }
    if (path != fetched) RemoveFile(path);
}

bool PreviewWindow::ShowPicture(const std::string& path) {
    QImage picture;
    LoadPicture(path, picture);
    if (picture.width() == 0) return false;
    m_lastPicturePath = path;
    PictureArea->SetPicture(picture);
    return true;
}

void PreviewWindow::PlayMelody(const std::string& path) {
    // What is neither picture nor melody shows nothing: never the picture before it.
    PictureArea->SetPicture(QImage());
    if (SmafAvailable()) {
        SmafPlay(path, [] {});
        return;
    }
    // A melody that cannot be heard says why, in one line.
    QFile file(Q(path));
    if (file.open(QIODevice::ReadOnly) && file.read(4) == "MMMD")
        PictureArea->SetNote(M(SmafMissing() != 0 ? SmafMissing() : kMsgNoSoundDevice));
}

void PreviewWindow::StopBtnClick() {
    SmafStop();
}

void PreviewWindow::CloseQuery() {
    SmafStop();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    CloseQuery();
    event->accept();
    QDialog::closeEvent(event);
}

void PreviewWindow::done(int result) {
    // Escape and the close button both end here.
    CloseQuery();
    QDialog::done(result);
}

}  // namespace q7k3
