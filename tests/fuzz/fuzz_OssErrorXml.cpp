// libFuzzer target: arbitrary bytes as the object storage's error reply (XML with "Code" and
// "Message"), read as a failed upload reads it.
// Besides the sanitizers it checks the bounds of what is kept: 200 characters of code, 1000 of
// message.
#include "FuzzCheck.h"

#include "platform/OssClient.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString code, message;
    OssClient::readError(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)), &code,
                         &message);
    if (code.size() > 200 || message.size() > 1000)
        std::abort();
    return 0;
}
