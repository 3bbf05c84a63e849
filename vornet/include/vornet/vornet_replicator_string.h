#pragma once

#include "vornet/vornet_replicator.h"

// Set-up of the string replicators: the buffer's length in characters, the
// terminator included.
class VNET_API VNet_RSetupString : public VNet_ReplicatorSetup {
public:
    VNet_RSetupString(unsigned short maxLength, unsigned char flags, unsigned char rules, unsigned char interceptId,
                      short minDelay, short maxDelay);
    VNet_RSetupString(const VNet_RSetupString& other) = default;
    VNet_RSetupString& operator=(const VNet_RSetupString& other) = default;
    VNet_ReplicatorSetup* Duplicate() override;

    unsigned short getMaxLength() const { return m_maxLength; }

private:
    uint16_t m_maxLength;
};

// A text in the application's char buffer.
class VNET_API VNet_Replicate_Stringp : public VNet_ReplicatorBasic {
public:
    VNet_Replicate_Stringp(char* data, VNet_RSetupString* setup);
    VNet_Replicate_Stringp(char* data, unsigned short maxLength, unsigned char flags, unsigned char rules,
                           unsigned char interceptId, short minDelay, short maxDelay);
    ~VNet_Replicate_Stringp() override;
    VNet_Replicate_Stringp(const VNet_Replicate_Stringp&) = delete;
    VNet_Replicate_Stringp& operator=(const VNet_Replicate_Stringp&) = delete;

    void* peekData() override;
    void clearPeekData() override;
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

private:
    void init(char* data);

    char* m_data = nullptr;
    char* m_shadow = nullptr;
    uint16_t m_maxLength = 0;
};

// A text in the application's wide-character buffer.
class VNET_API VNet_Replicate_StringWp : public VNet_ReplicatorBasic {
public:
    VNet_Replicate_StringWp(wchar_t* data, VNet_RSetupString* setup);
    VNet_Replicate_StringWp(wchar_t* data, unsigned short maxLength, unsigned char flags, unsigned char rules,
                            unsigned char interceptId, short minDelay, short maxDelay);
    ~VNet_Replicate_StringWp() override;
    VNet_Replicate_StringWp(const VNet_Replicate_StringWp&) = delete;
    VNet_Replicate_StringWp& operator=(const VNet_Replicate_StringWp&) = delete;

    void* peekData() override;
    void clearPeekData() override;
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

private:
    void init(wchar_t* data);

    wchar_t* m_data = nullptr;
    wchar_t* m_shadow = nullptr;
    uint16_t m_maxLength = 0;
};
