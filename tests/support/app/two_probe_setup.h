// A small setup shared by the integration tests, in the format the program writes: two probes,
// channel 1 "Dia A" = T1+T2 at 4 decimals, channel 2 "Taper" = T1-T2 at 3, one analog input.
#pragma once

namespace zeltest {

inline constexpr char kTwoProbeSetup[] =
    "[ZELAPP Version 6.0]\r\n"
    "[General Setup]\r\nMaxChannel= 2 \r\nMaxLVDT= 2 \r\nMaxAnalog= 1 \r\nMaxDigital=0\r\n"
    "MaxStrain=0\r\nDecimals= 4 \r\n[End Section]\r\n"
    "[ChannelGridWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[ChannelBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[ChannelDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtGridWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogGridWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[Channel]\r\n 1 \r\nDia A\r\nT1+T2\r\n 4 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .008 \r\n-.008 \r\n-.01 \r\n 1 \r\n 0 \r\n .02 \r\n-.02 \r\n[End Channel]\r\n"
    "[Channel]\r\n 2 \r\nTaper\r\nT1-T2\r\n 3 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .008 \r\n-.008 \r\n-.01 \r\n 1 \r\n 0 \r\n .02 \r\n-.02 \r\n[End Channel]\r\n"
    "[lvdt]\r\n 1 \r\nFront\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[lvdt]\r\n 2 \r\nRear\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[Analog]\r\n 1 \r\nPressure\r\n 1 \r\n 0 \r\n[End Analog]\r\n"
    "[End Setup]\r\n";

}  // namespace zeltest
