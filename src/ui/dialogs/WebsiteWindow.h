#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLabel;

namespace vx {

// The board's website window (frmWEBSITE): the board's name and its address as a link. A click
// on the link opens it in the web browser.
class WebsiteWindow : public QWidget {
    Q_OBJECT
public:
    explicit WebsiteWindow(std::function<void(const std::string& url)> openUrl, QWidget* parent = nullptr);

    // The board it shows; texts are the list's byte strings.
    void setBoard(const std::string& name, const std::string& website);

private:
    std::function<void(const std::string&)> m_openUrl;
    std::string m_website;
    QLabel* m_name = nullptr;
    QLabel* m_link = nullptr;
};

}  // namespace vx
