// The "Catalog Color Manager" window over the TCatalogManager model: the catalogs with their
// order and "Use" switches, the threads of the selected one with their editing fields, and the
// small "Edit Manufacturer And Thread Type" and "Find Color Record" dialogs.
#pragma once
#include <QDialog>
#include <functional>
#include <string>

#include "ui/CatalogManager.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QLabel;

namespace nl {

class TRowList;

// "Edit Manufacturer And Thread Type".
class TCatalogNamesDialog : public QDialog {
public:
    explicit TCatalogNamesDialog(QWidget* parent = nullptr);
    // Shows the dialog filled with the names; true with the typed names after OK.
    bool Ask(std::string& manufacturer, std::string& threadType);
    QLineEdit* Manufacturer() const { return manufacturer_; }
    QLineEdit* ThreadType() const { return type_; }

private:
    QLineEdit* manufacturer_;
    QLineEdit* type_;
};

// "Find Color Record".
class TFindRecordDialog : public QDialog {
public:
    explicit TFindRecordDialog(QWidget* parent = nullptr);
    // True with the search text after "Find".
    bool Ask(std::string& text);
    QLineEdit* Text() const { return text_; }

private:
    QLineEdit* text_;
};

class TCatalogManagerDialog : public QDialog {
public:
    TCatalogManagerDialog(Host& host, std::function<std::string()> folder, QWidget* parent = nullptr);

    // Reads the catalogs and shows the manager until it may close (modal).
    void Run();
    // Reads the catalogs and shows the manager without waiting (the tests drive it this way).
    void Start();

    // Takes a colour from the worksheet for the dropper (the manager is hidden meanwhile);
    // NO_COLOUR when the user gave up. Unset: the dropper stays disabled.
    std::function<int32_t()> TakeWorksheetColour;
    // The typed names and search texts; the tests answer here instead of the dialogs.
    std::function<bool(std::string& manufacturer, std::string& threadType)> AskNames;
    std::function<bool(std::string& text)> AskSearch;

    TCatalogManager& Model() { return model_; }
    // Widgets, for the tests. Group "catalogs", "entries" or "" (OK, Dropper, up and down).
    QPushButton* Button(const std::string& group, const std::string& caption) const;
    TRowList* CatalogList() const { return catalogList_; }
    TRowList* EntryList() const { return entryList_; }
    QPlainTextEdit* InfoBox() const { return info_; }
    QLineEdit* Field(const std::string& caption) const;
    TCatalogNamesDialog* NamesDialog() const { return names_; }
    TFindRecordDialog* FindDialog() const { return find_; }
    // Re-reads every control from the model.
    void Refresh();

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void TryClose();
    void StoreFields();
    void ShowFields();
    TCatalogManager model_;
    std::function<std::string()> folder_;
    TRowList* catalogList_ = nullptr;
    TRowList* entryList_ = nullptr;
    QPlainTextEdit* info_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* channels_[3] = {};
    QLabel* swatch_ = nullptr;
    std::vector<std::pair<std::string, QPushButton*>> buttons_;
    TCatalogNamesDialog* names_ = nullptr;
    TFindRecordDialog* find_ = nullptr;
    bool refreshing_ = false;
    bool running_ = false;
};

} // namespace nl
