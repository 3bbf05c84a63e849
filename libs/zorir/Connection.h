#pragma once

#include "libs/zorir/SlotHolder.h"
#include "libs/zorir/core/StandardException.h"

namespace Zorir {

// One bound member function of a signal without arguments.
class BasicConnection0 {
public:
    virtual ~BasicConnection0() = default;
    virtual SlotHolder* target() const = 0;
    virtual void invoke() = 0;
    virtual BasicConnection0* clone() const = 0;
    virtual BasicConnection0* cloneFor(SlotHolder* newTarget) const = 0;
};

// One bound member function of a signal with one argument.
template <class A>
class BasicConnection1 {
public:
    virtual ~BasicConnection1() = default;
    virtual SlotHolder* target() const = 0;
    virtual void invoke(A argument) = 0;
    virtual BasicConnection1* clone() const = 0;
    virtual BasicConnection1* cloneFor(SlotHolder* newTarget) const = 0;
};

namespace Detail {

// The target of a copy made for another holder, which must be of the same class.
template <class T>
T* retargeted(SlotHolder* newTarget)
{
    T* target = dynamic_cast<T*>(newTarget);
    ZORIR_ASSERT(target != 0);
    return target;
}

}  // namespace Detail

template <class T>
class Connection0 : public BasicConnection0 {
public:
    using Function = void (T::*)();

    Connection0(T* target, Function function) : target_(target), function_(function) {}

    SlotHolder* target() const override { return target_; }
    void invoke() override { (target_->*function_)(); }
    Connection0* clone() const override { return new Connection0(target_, function_); }
    Connection0* cloneFor(SlotHolder* newTarget) const override
    {
        return new Connection0(Detail::retargeted<T>(newTarget), function_);
    }

private:
    T* target_;
    Function function_;
};

template <class T, class A>
class Connection1 : public BasicConnection1<A> {
public:
    using Function = void (T::*)(A);

    Connection1(T* target, Function function) : target_(target), function_(function) {}

    SlotHolder* target() const override { return target_; }
    void invoke(A argument) override { (target_->*function_)(argument); }
    Connection1* clone() const override { return new Connection1(target_, function_); }
    Connection1* cloneFor(SlotHolder* newTarget) const override
    {
        return new Connection1(Detail::retargeted<T>(newTarget), function_);
    }

private:
    T* target_;
    Function function_;
};

}  // namespace Zorir
