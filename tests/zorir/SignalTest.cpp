// Signals and connections, including handlers that tear down connections,
// targets or the signal itself in the middle of an emission.
#include "libs/zorir/Signal.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Zorir::Signal0;
using Zorir::Signal1;

// Calls are logged in one shared journal, so the order across targets shows.
struct Target : Zorir::SlotHolder {
    Target(std::vector<std::string>& journal, std::string name) : journal_(journal), name_(std::move(name)) {}

    void hit() { journal_.push_back(name_); }
    void hitWith(int value) { journal_.push_back(name_ + std::to_string(value)); }
    void hitWithText(const std::string& text) { journal_.push_back(name_ + text); }

    // Runs an action when called, then logs.
    void act()
    {
        if (action_) action_();
        hit();
    }

    std::vector<std::string>& journal_;
    std::string name_;
    std::function<void()> action_;
};

struct OtherTarget : Zorir::SlotHolder {
    void hit() {}
};

class SignalTest : public ::testing::Test {
protected:
    std::vector<std::string> journal_;
};

TEST_F(SignalTest, EmitsInConnectionOrderAndTwiceWhenConnectedTwice)
{
    Target a(journal_, "a"), b(journal_, "b");
    Signal0 signal;
    signal.emit();
    EXPECT_TRUE(journal_.empty());

    signal.connect(&b, &Target::hit);
    signal.connect(&a, &Target::hit);
    signal.connect(&b, &Target::hit);
    signal.emit();
    EXPECT_EQ(journal_, (std::vector<std::string>{"b", "a", "b"}));
}

TEST_F(SignalTest, OneArgumentReachesEveryConnection)
{
    Target a(journal_, "a"), b(journal_, "b");
    Signal1<int> numbers;
    numbers.connect(&a, &Target::hitWith);
    numbers.connect(&b, &Target::hitWith);
    numbers.emit(7);
    Signal1<const std::string&> texts;
    texts.connect(&a, &Target::hitWithText);
    texts.emit(std::string("-x"));
    EXPECT_EQ(journal_, (std::vector<std::string>{"a7", "b7", "a-x"}));
}

TEST_F(SignalTest, DestroyedTargetIsNoLongerCalled)
{
    Target first(journal_, "first"), last(journal_, "last");
    auto middle = std::make_unique<Target>(journal_, "middle");
    Signal0 signal;
    signal.connect(&first, &Target::hit);
    signal.connect(middle.get(), &Target::hit);
    signal.connect(&last, &Target::hit);
    middle.reset();
    signal.emit();
    EXPECT_EQ(journal_, (std::vector<std::string>{"first", "last"}));
}

TEST_F(SignalTest, DestroyedSignalIsNotTouchedByItsTargets)
{
    Target target(journal_, "t");
    {
        auto signal = std::make_unique<Signal0>();
        signal->connect(&target, &Target::hit);
        auto other = std::make_unique<Signal1<int>>();
        other->connect(&target, &Target::hitWith);
        EXPECT_TRUE(target.isConnectedTo(signal.get()));
        signal.reset();
        other.reset();
    }
    // Under AddressSanitizer, a stale entry would show here as a use after free.
    EXPECT_FALSE(target.isConnectedTo(nullptr));
}

TEST_F(SignalTest, HolderConnectedToItsOwnSignalDiesCleanly)
{
    struct Button : Zorir::SlotHolder {
        void toggle() { ++toggles; }
        Signal0 pressed;
        int toggles = 0;
    };
    Target menu(journal_, "menu");
    auto button = std::make_unique<Button>();
    button->pressed.connect(button.get(), &Button::toggle);
    button->pressed.connect(&menu, &Target::hit);
    button->pressed.emit();
    EXPECT_EQ(button->toggles, 1);
    button.reset();
    EXPECT_EQ(journal_, (std::vector<std::string>{"menu"}));
}

// Handlers that change the connections during an emission: the emission goes
// on over what is still connected, and freed objects are never touched.
TEST_F(SignalTest, HandlersMayTearDownDuringEmission)
{
    struct Case {
        const char* name;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"destroy later target", {"first"}},
        {"disconnect later target", {"first"}},
        {"disconnect itself", {"first", "last"}},
        {"destroy the signal", {"first"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        journal_.clear();
        Target first(journal_, "first");
        auto last = std::make_unique<Target>(journal_, "last");
        auto signal = std::make_unique<Signal0>();
        const std::string name = c.name;
        if (name == "destroy later target") first.action_ = [&] { last.reset(); };
        if (name == "disconnect later target") first.action_ = [&] { signal->disconnect(last.get()); };
        if (name == "disconnect itself") first.action_ = [&] { signal->disconnect(&first); };
        if (name == "destroy the signal") first.action_ = [&] { signal.reset(); };
        signal->connect(&first, &Target::act);
        signal->connect(last.get(), &Target::hit);
        Signal0* emitting = signal.get();
        emitting->emit();
        EXPECT_EQ(journal_, c.expected);
    }
}

TEST_F(SignalTest, ConnectionMadeDuringEmissionWaitsForTheNext)
{
    Target first(journal_, "first"), added(journal_, "added");
    Signal0 signal;
    first.action_ = [&] { signal.connect(&added, &Target::hit); };
    signal.connect(&first, &Target::act);
    signal.emit();
    EXPECT_EQ(journal_, (std::vector<std::string>{"first"}));
    first.action_ = nullptr;
    signal.emit();
    EXPECT_EQ(journal_, (std::vector<std::string>{"first", "first", "added"}));
}

TEST_F(SignalTest, RetargetCopiesConnectionsAndRegistersTheNewHolder)
{
    Target old(journal_, "old");
    auto fresh = std::make_unique<Target>(journal_, "new");
    Signal1<int> signal;
    signal.connect(&old, &Target::hitWith);
    signal.retarget(&old, fresh.get());
    EXPECT_TRUE(fresh->isConnectedTo(&signal));
    signal.emit(1);
    EXPECT_EQ(journal_, (std::vector<std::string>{"old1", "new1"}));

    // The copy goes away with its new target.
    fresh.reset();
    signal.emit(2);
    EXPECT_EQ(journal_, (std::vector<std::string>{"old1", "new1", "old2"}));
}

TEST_F(SignalTest, RetargetToAnotherClassIsRefused)
{
    Target old(journal_, "old");
    OtherTarget other;
    Signal0 signal;
    signal.connect(&old, &Target::hit);
    EXPECT_THROW(signal.retarget(&old, &other), Zorir::Core::StandardException);
    signal.emit();
    EXPECT_EQ(journal_, (std::vector<std::string>{"old"}));
}

TEST_F(SignalTest, DisconnectForgetsTheHolder)
{
    // A holder that outlives the signal after an explicit disconnect must not
    // reach back to it when it dies.
    auto target = std::make_unique<Target>(journal_, "t");
    {
        Signal0 signal;
        signal.connect(target.get(), &Target::hit);
        signal.disconnect(target.get());
        EXPECT_FALSE(target->isConnectedTo(&signal));
        EXPECT_FALSE(signal.hasConnections());
        signal.emit();
    }
    target.reset();
    EXPECT_TRUE(journal_.empty());
}

}  // namespace
