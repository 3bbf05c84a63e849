#pragma once

// Virtual-key codes with the values Windows gives them; letters and digits
// are their upper-case ASCII codes ('A', '1').
namespace platform::vk {

constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;  // Alt
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kDelete = 0x2E;
constexpr int kF1 = 0x70;
constexpr int kF12 = 0x7B;
constexpr int kLShift = 0xA0;
constexpr int kRShift = 0xA1;
constexpr int kLControl = 0xA2;
constexpr int kRControl = 0xA3;
constexpr int kLMenu = 0xA4;
constexpr int kRMenu = 0xA5;
constexpr int kOemPlus = 0xBB;
constexpr int kOemComma = 0xBC;
constexpr int kOemMinus = 0xBD;
constexpr int kOemPeriod = 0xBE;

}  // namespace platform::vk
