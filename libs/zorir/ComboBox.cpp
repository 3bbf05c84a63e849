#include "libs/zorir/ComboBox.h"

#include "libs/zorir/ComboBoxMouseListener.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

namespace {

constexpr float listHeight = 110.0f;
const Vector2 padding(30.0f, 8.0f);

}  // namespace

ComboBox::ComboBox(Window* parent, const Rectangle& rectangle)
    : Window(parent, ""),
      list_(std::make_unique<ListBox>(this, Rectangle(rectangle.x, rectangle.y + rectangle.height,
                                                      rectangle.x + rectangle.width, rectangle.y + rectangle.height + 30.0f))),
      mouseListener_(std::make_unique<ComboBoxMouseListener>(*this))
{
    setRectangle(rectangle);
    addMessageListener(mouseListener_.get());
    WindowManager::instance().addWindow(list_.get());
    list_->selectionChanged().connect(mouseListener_.get(), &ComboBoxMouseListener::setCurrentItem);
    list_->clicked().connect(mouseListener_.get(), &ComboBoxMouseListener::closeUp);
    list_->hide();
}

ComboBox::~ComboBox()
{
    // Closed without a word: whoever listens to closedUp may be the owner
    // that is destroying this box. Removing the list also ends its pop-up.
    WindowManager::instance().removeWindow(list_.get());
    removeMessageListener(mouseListener_.get());
}

void ComboBox::addString(const std::string& text)
{
    list_->addString(text);
}

void ComboBox::setCurrentText(const std::string& text)
{
    if (!list_->contains(text)) list_->addString(text);
    list_->setSelectedIndex(list_->indexOf(text));
    setText(text);
    currentTextChanged_.emit(text);
}

void ComboBox::setCurrentItem(int32_t index)
{
    if (index >= 0 && index < list_->count()) setCurrentText(list_->stringAt(index));
}

void ComboBox::dropDown()
{
    placeList();
    list_->show();
    droppedDown_.emit();
    WindowManager::instance().setPopupWindow(list_.get());
}

void ComboBox::closeUp()
{
    hideList();
}

void ComboBox::hideList()
{
    list_->hide();
    closedUp_.emit();
    WindowManager& manager = WindowManager::instance();
    if (manager.popupWindow() == list_.get()) manager.setPopupWindow(nullptr);
}

void ComboBox::onFocusLost()
{
    if (!isListShown()) return;
    // The press that took the focus may be on the list itself: a choice.
    const Window* under = WindowManager::instance().windowUnderMouse();
    if (under && list_->containsWindow(under)) return;
    hideList();
}

void ComboBox::placeList()
{
    const Rectangle box = rectangle();
    list_->setRectangle(Rectangle(box.x, box.y + box.height, box.x + box.width, box.y + box.height + listHeight));
}

ComboBoxDesc* ComboBox::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::comboBoxDesc);
}

bool ComboBox::containsWindow(const Window* window) const
{
    return Window::containsWindow(window) || list_->containsWindow(window);
}

Vector2 ComboBox::preferredSize() const
{
    ComboBoxDesc* look = descriptionInForce();
    if (!look || !look->textDesc) return padding;
    look->textDesc->text = text();
    return look->textDesc->textExtent() + padding;
}

void ComboBox::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void ComboBox::draw()
{
    if (ComboBoxDesc* look = descriptionInForce()) {
        look->owner = this;
        look->draw(rectangle());
    }
    if (isListShown()) placeList();
}

}  // namespace Zorir
