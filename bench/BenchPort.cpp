#include "BenchPort.h"

#include <cstdio>
#include <cstring>

#include "serial/ComPort.h"
#include "serial/NetworkPort.h"

CBenchPort::CBenchPort(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ser2net") == 0) {
            throughProxy = true;
            for (int j = i; j < argc; ++j) {
                argv[j] = argv[j + 1];
            }
            --argc;
            break;
        }
    }
}

std::unique_ptr<RS232> CBenchPort::Open(const std::string& device, long baud) {
    std::unique_ptr<RS232> port;
    if (throughProxy) {
        proxy = std::make_unique<CSer2net>(device);
        if (!proxy->Start()) {
            std::fprintf(stderr, "cannot start ser2net in front of %s\n", device.c_str());
            return nullptr;
        }
        port = std::make_unique<CNetworkPort>(
            0, CNetworkAddress{CNetworkAddress::Kind::kRfc2217, "127.0.0.1", proxy->Port()}, baud,
            'E', 8, 1, 0, 1, 0, 0, 0);
    } else {
        port = std::make_unique<CComPort>(0, baud, 'E', 8, 1, 0, 1, 0, 0, 0, device);
    }
    if (port->Status() != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", Route(device).c_str(),
                     port->StatusText(port->Status()));
        return nullptr;
    }
    return port;
}

std::string CBenchPort::Route(const std::string& device) const {
    return proxy != nullptr ? proxy->Address() + " (ser2net in front of " + device + ")" : device;
}
