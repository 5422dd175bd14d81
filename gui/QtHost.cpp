#include "gui/QtHost.h"

#include "gui/GeneralDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QUrl>

#include "core/Colour.h"
#include "gui/CatalogManagerDialog.h"
#include "gui/CatalogViewerDialog.h"
#include "gui/CircleAttributesDialog.h"
#include "gui/OrderPanel.h"
#include "gui/PatternViewerDialog.h"
#include "gui/PropertiesDialog.h"
#include "gui/SimulatorWindow.h"
#include "gui/SupportDialogs.h"

namespace nl {

QString ToQtFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        out << parts[i].trimmed() + " (" + patterns + ")";
    }
    return out.join(";;");
}

TButton TQtHost::MessageDialog(const std::string& heading, const std::string& text, TButtons buttons,
                               TIcon icon) {
    if (AnswerHook) return AnswerHook(heading, text, buttons);
    QMessageBox box(Window);
    box.setWindowTitle(QString::fromStdString(heading));
    box.setText(QString::fromStdString(text));
    const bool asks = buttons & (static_cast<uint8_t>(TButton::Yes) | static_cast<uint8_t>(TButton::Save));
    // In the order of TIcon: Auto asks with a question when Yes or Save is offered.
    const QMessageBox::Icon icons[] = {asks ? QMessageBox::Question : QMessageBox::Information,
                                       QMessageBox::Information, QMessageBox::Question, QMessageBox::Warning,
                                       QMessageBox::Critical};
    box.setIcon(icons[static_cast<size_t>(icon)]);
    struct Choice {
        TButton Button;
        const char* Label;
        QMessageBox::ButtonRole Role;
    };
    const Choice choices[] = {{TButton::Save, "Save", QMessageBox::AcceptRole},
                              {TButton::Discard, "Don't Save", QMessageBox::DestructiveRole},
                              {TButton::OK, "OK", QMessageBox::AcceptRole},
                              {TButton::Yes, "Yes", QMessageBox::YesRole},
                              {TButton::No, "No", QMessageBox::NoRole},
                              {TButton::Cancel, "Cancel", QMessageBox::RejectRole},
                              {TButton::Abort, "Abort", QMessageBox::DestructiveRole},
                              {TButton::Apply, "Apply", QMessageBox::ApplyRole}};
    std::vector<std::pair<QAbstractButton*, TButton>> made;
    for (const Choice& c : choices)
        if (buttons & static_cast<uint8_t>(c.Button)) {
            QPushButton* b = box.addButton(c.Label, c.Role);
            made.emplace_back(b, c.Button);
            // Return saves; Escape cancels.
            if (c.Button == TButton::Save) box.setDefaultButton(b);
            if (c.Button == TButton::Cancel) box.setEscapeButton(b);
        }
    if (made.empty()) made.emplace_back(box.addButton("OK", QMessageBox::AcceptRole), TButton::OK);
    box.exec();
    for (auto& [b, id] : made)
        if (box.clickedButton() == b) return id;
    // Closed with the window's close box: the safe answer.
    for (TButton safe : {TButton::Cancel, TButton::No, TButton::OK})
        if (buttons & static_cast<uint8_t>(safe)) return safe;
    return TButton::None;
}

int32_t TQtHost::PopupMenu(const std::vector<TMenuItem>& items, int32_t x, int32_t y) {
    QWidget* parent = View ? View.data() : static_cast<QWidget*>(Window.data());
    QMenu menu(parent);
    for (const TMenuItem& item : items) {
        QAction* a = menu.addAction(QString::fromStdString(item.Caption));
        a->setEnabled(item.Enabled);
        a->setCheckable(item.Checkable);
        a->setChecked(item.Checked);
        a->setData(item.Code);
    }
    const QPoint at = parent ? parent->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
    QAction* chosen = MenuHook ? MenuHook(menu, at) : menu.exec(at);
    return chosen && chosen->isEnabled() ? chosen->data().toInt() : 0;
}

void TQtHost::ShowPropertiesWindow() {
    if (Properties) Properties->ShowCurrent();
}

void TQtHost::ClosePropertiesWindow() {
    if (Properties) Properties->hide();
}

void TQtHost::ShowCircleDialog() {
    if (CircleDialog) CircleDialog->Run();
}

void TQtHost::ShowFrameSizes() {
    if (FrameSizesDialog) FrameSizesDialog->Run();
}
void TQtHost::ShowPatternViewer() {
    if (PatternViewer) PatternViewer->Run();
}
void TQtHost::ShowSupportProperties() {
    if (SupportProperties) SupportProperties->ShowPage();
}
void TQtHost::CloseSupportProperties() {
    if (SupportProperties) SupportProperties->hide();
}

int32_t TQtHost::PickThreadColour(int32_t preset, bool dropper, const std::function<void(int32_t)>& apply) {
    return CatalogViewer ? CatalogViewer->PickColour(preset, dropper, apply) : NO_COLOUR;
}

void TQtHost::ShowCatalogViewer() {
    if (CatalogViewer) CatalogViewer->ShowFreeStanding();
}

void TQtHost::ShowCatalogManager() {
    if (CatalogManager) CatalogManager->Run();
}

void TQtHost::ShowSimulatorWindow() {
    if (!Simulator) return;
    Simulator->Refresh();
    Simulator->show();
    Simulator->raise();
}

void TQtHost::CloseSimulatorWindow() {
    if (Simulator) Simulator->hide();
}

void TQtHost::Beep() {
    QApplication::beep();
}

void TQtHost::ShowOrderPanel() {
    if (!OrderPanel) return;
    OrderPanel->Refresh();
    OrderPanel->show();
    OrderPanel->raise();
}

void TQtHost::CloseOrderPanel() {
    if (OrderPanel) OrderPanel->hide();
}

void TQtHost::ShowOrderOptions() {
    if (Properties) Properties->ShowOrderOptions();
}

void TQtHost::OrderChanged() {
    if (OrderPanel && OrderPanel->isVisible()) OrderPanel->Refresh();
}

void TQtHost::SimulatorChanged() {
    if (Simulator) Simulator->Refresh();
}

void TQtHost::SetStatus(const std::string& text) {
    if (StatusLabel) StatusLabel->setText(QString::fromStdString(text));
}

void TQtHost::SetPrompt(const std::string& text) {
    if (PromptLabel) PromptLabel->setText(QString::fromStdString(text));
}

TFileDialogResult TQtHost::FileDialog(const TFileDialogRequest& r, bool save) {
    if (FileHook) return FileHook(r, save);
    QFileDialog dlg(Window, QString::fromStdString(r.Title));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters = ToQtFilter(r.Filter).split(";;", Qt::SkipEmptyParts);
    dlg.setNameFilters(filters);
    if (r.FilterIndex >= 1 && r.FilterIndex <= filters.size())
        dlg.selectNameFilter(filters[r.FilterIndex - 1]);
    if (!r.InitialDir.empty()) dlg.setDirectory(QString::fromStdString(r.InitialDir));
    if (!r.FileName.empty()) dlg.selectFile(QString::fromStdString(r.FileName));
    if (!r.DefaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(r.DefaultExt));
    TFileDialogResult result;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return result;
    result.Accepted = true;
    result.FileName = dlg.selectedFiles().front().toStdString();
    result.FilterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
    if (result.FilterIndex < 1) result.FilterIndex = 1;
    return result;
}

TFileDialogResult TQtHost::OpenFileDialog(const TFileDialogRequest& request) {
    return FileDialog(request, false);
}
TFileDialogResult TQtHost::SaveFileDialog(const TFileDialogRequest& request) {
    return FileDialog(request, true);
}

void TQtHost::SetClipboard(const std::vector<uint8_t>& bytes) {
    auto* mime = new QMimeData;
    mime->setData(ClipboardMime, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}

std::vector<uint8_t> TQtHost::GetClipboard() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(ClipboardMime)) return {};
    QByteArray data = mime->data(ClipboardMime);
    return std::vector<uint8_t>(data.begin(), data.end());
}

void TQtHost::SetTimer(int intervalMs, std::function<void()> tick) {
    timer_.stop();
    tick_ = std::move(tick);
    if (!timerConnected_) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (tick_) tick_();
        });
        timerConnected_ = true;
    }
    if (intervalMs > 0 && tick_) timer_.start(intervalMs);
}

void TQtHost::RequestRedraw() {
    if (View) View->update();
}

void TQtHost::SetCursor(TCursor cursor) {
    if (!View) return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (cursor) {
    case TCursor::Cross:
        shape = Qt::CrossCursor;
        break;
    case TCursor::Hand:
        shape = Qt::PointingHandCursor;
        break;
    case TCursor::Move:
    case TCursor::SizeAll:
        shape = Qt::SizeAllCursor;
        break;
    case TCursor::Wait:
        shape = Qt::WaitCursor;
        break;
    case TCursor::Point:
        shape = Qt::PointingHandCursor;
        break;
    case TCursor::Rotate:
        shape = Qt::ClosedHandCursor;
        break;
    case TCursor::Zoom:
        shape = Qt::CrossCursor;
        break;
    default:
        break;
    }
    View->setCursor(shape);
}

TModifiers TQtHost::Modifiers() {
    Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier), m.testFlag(Qt::AltModifier)};
}

int TQtHost::DisplayDepth() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->depth() : 32;
}

std::string TQtHost::ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

void TQtHost::SetCaption(const std::string& text) {
    if (Window) Window->setWindowTitle(QString::fromStdString(text));
}

void TQtHost::CommandStateChanged() {
    if (OnCommandStateChanged) OnCommandStateChanged();
}

void TQtHost::RequestClose() {
    if (Window) Window->close();
}

bool TQtHost::EditGeneralOptions(TGeneralOptions& values) {
    TGeneralDialog dialog(values, Window);
    bool accepted = GeneralHook ? GeneralHook(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted) return false;
    values = dialog.Values();
    return true;
}

bool TQtHost::OpenGuidePage(const std::string& file) {
    if (GuideHook) return GuideHook(file);
    // "page.html#part": the part travels as the address's fragment, not as part of the file name.
    QString text = QString::fromStdString(file);
    qsizetype hash = text.indexOf('#');
    QUrl url = QUrl::fromLocalFile(hash < 0 ? text : text.left(hash));
    if (hash >= 0) url.setFragment(text.mid(hash + 1));
    return QDesktopServices::openUrl(url);
}

bool TQtHost::ChooseFont(TFontChoice& font) {
    if (FontHook) return FontHook(font);
    QFont preset(QString::fromStdString(font.Family));
    preset.setBold(font.Bold);
    preset.setItalic(font.Italic);
    if (font.PointSize > 0) preset.setPointSizeF(font.PointSize);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, preset, Window, "Font");
    if (!ok) return false;
    font.Family = chosen.family().toStdString();
    font.Bold = chosen.bold();
    font.Italic = chosen.italic();
    // A font given in pixels has no point size: it is taken at 96 pixels per inch.
    font.PointSize = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pixelSize() * 72.0 / 96.0;
    return true;
}

} // namespace nl
