#pragma once
// The window the user works in: the sentence list on the left, the category
// buttons, the loop controls and the fetch button on the right, the menu bar,
// and the list's pop-up menu.

#include <QMainWindow>
#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace quotidia {

class CountBox;
class SpinArrows;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();

    // Runs once all controls exist and before the window is shown; ends the
    // program when there is no Internet connection.
    void OnMainWindowCreated();
    void OnLoopBoxClicked();
    void OnListRightButtonDown(int x, int y, Qt::KeyboardModifiers modifiers);
    void OnExitSelected();
    void OnAboutSelected();
    void OnHelpSelected();
    void OnCopySelected();

    // Centres the window on its screen; done once, before it is first shown.
    void CenterOnScreen();

    // What the fetch button runs; nothing until the application wires it.
    std::function<void()> onFetchClicked;

    // The client area below the menu bar, in which every control sits at its
    // original position.
    static constexpr int kClientWidth = 599;
    static constexpr int kClientHeight = 187;

    QTableWidget* list = nullptr;       // 超级列表框1
    QGroupBox* categoryGroup = nullptr;  // 分组框1
    QGroupBox* loopGroup = nullptr;      // 分组框2
    std::array<QRadioButton*, 9> categoryButtons{};  // 单选框_动漫 … 单选框_哲学, in table order
    QCheckBox* loopBox = nullptr;        // 选择框1
    CountBox* countBox = nullptr;        // 编辑框1
    SpinArrows* countArrows = nullptr;
    QPushButton* fetchButton = nullptr;  // 按钮1
    QMenu* popupMenu = nullptr;          // 右键
    QAction* copyAction = nullptr;       // 复制

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(QWidget* client);
    void BuildMenus();
};

}  // namespace quotidia
