#pragma once
// The target CAD list: the file "TargetCAD_APIVersion.txt" of display names and
// ProgIDs, the list kept sorted as the user edits it, and the dialog
// TTargetCADForm in which the user picks the CAD that MIRTEX drives.
#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>

class QLineEdit;
class QListWidget;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;

// The encoding of a list file: a byte-order mark chooses it, code page 932 without one.
enum class ListFileEncoding { Cp932, Utf8Bom, Utf16LeBom, Utf16BeBom };

struct ListFileText {
    QStringList lines;
    ListFileEncoding encoding = ListFileEncoding::Cp932;
};

// Lines end at CR LF, LF or CR; the ending of the last line makes no empty line.
ListFileText decodeListFile(const QByteArray& bytes);
// Every line, the last one too, ended by CR LF, after the byte-order mark of the encoding.
QByteArray encodeListFile(const QStringList& lines, ListFileEncoding encoding);

// One row: name, TAB, ProgID; and back (a row without TAB has an empty name).
QString targetCadRow(const QString& name, const QString& progId);
std::pair<QString, QString> splitTargetCadRow(const QString& row);

// The list of the dialog with its selection and its two edit boxes, as plain data.
// Every change is written to the file at once; a failed write throws
// std::runtime_error after the list has changed.
class TTargetCadList {
public:
    explicit TTargetCadList(QString path) : m_path(std::move(path)) {}

    QStringList rows;      // sorted ascending, letter case ignored, until "変更"
    int selected = -1;     // ListBox1's selected row
    QString name, progId;  // Edit1, Edit2
    ListFileEncoding encoding = ListFileEncoding::Cp932;

    // FormShow: rows from the file when it exists (the rest stays as it was),
    // then the first row holding TAB + preselection is selected.
    void show(const QString& preselection);
    void select(int row);  // ListBox1Click on that row
    void add();            // "追加"
    void remove();         // "削除"; nothing when no row is selected
    void change();         // "変更"; nothing when no row is selected

private:
    void save() const;
    QString m_path;
};

class TTargetCADForm : public QDialog {
public:
    explicit TTargetCADForm(QWidget* parent = nullptr);
    ~TTargetCADForm() override;
    // The dialog created at start-up, null when there is none.
    static TTargetCADForm* instance();

    QString preselection;  // the main window's TargetProgID before each opening
    QListWidget* ListBox1;
    QGroupBox* GroupBox1;
    QLabel *Label1, *Label2;
    QLineEdit *Edit1, *Edit2;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3;
    QPushButton *Button1, *Button2;

    void FormShow();
    void ListBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a list operation on the edit boxes' texts and shows the outcome,
    // also when writing the file failed.
    template <class Op> void apply(Op op);
    void showList();
    TTargetCadList m_list;
};

struct TargetCad {
    QString name, progId;
};
// Button4Click's dialog part: the dialog above the main window, pre-selecting
// progId; the two edit boxes when closed with OK, nothing otherwise.
std::optional<TargetCad> chooseTargetCad(TTargetCADForm& form, const QString& progId);
