#pragma once
// Minimal real-time SDK callback base (replaced by the full TrtcCloud layer).

class TrtcCloudCallbackDefaultImpl
{
public:
    virtual ~TrtcCloudCallbackDefaultImpl() = default;
};
