#include "runtime/extended/power_tables.h"

#include "runtime/extended/extended_pack.h"

namespace quorvex {

// Each entry is the extended value nearest to the exact power of ten, ties to even; the test
// of this file recomputes every one from the exact integer.
const Extended SmallPowers[32] = {
    {0x8000000000000000, 0x3FFF},  // 1E0
    {0xA000000000000000, 0x4002},  // 1E1
    {0xC800000000000000, 0x4005},  // 1E2
    {0xFA00000000000000, 0x4008},  // 1E3
    {0x9C40000000000000, 0x400C},  // 1E4
    {0xC350000000000000, 0x400F},  // 1E5
    {0xF424000000000000, 0x4012},  // 1E6
    {0x9896800000000000, 0x4016},  // 1E7
    {0xBEBC200000000000, 0x4019},  // 1E8
    {0xEE6B280000000000, 0x401C},  // 1E9
    {0x9502F90000000000, 0x4020},  // 1E10
    {0xBA43B74000000000, 0x4023},  // 1E11
    {0xE8D4A51000000000, 0x4026},  // 1E12
    {0x9184E72A00000000, 0x402A},  // 1E13
    {0xB5E620F480000000, 0x402D},  // 1E14
    {0xE35FA931A0000000, 0x4030},  // 1E15
    {0x8E1BC9BF04000000, 0x4034},  // 1E16
    {0xB1A2BC2EC5000000, 0x4037},  // 1E17
    {0xDE0B6B3A76400000, 0x403A},  // 1E18
    {0x8AC7230489E80000, 0x403E},  // 1E19
    {0xAD78EBC5AC620000, 0x4041},  // 1E20
    {0xD8D726B7177A8000, 0x4044},  // 1E21
    {0x878678326EAC9000, 0x4048},  // 1E22
    {0xA968163F0A57B400, 0x404B},  // 1E23
    {0xD3C21BCECCEDA100, 0x404E},  // 1E24
    {0x84595161401484A0, 0x4052},  // 1E25
    {0xA56FA5B99019A5C8, 0x4055},  // 1E26
    {0xCECB8F27F4200F3A, 0x4058},  // 1E27
    {0x813F3978F8940984, 0x405C},  // 1E28
    {0xA18F07D736B90BE5, 0x405F},  // 1E29
    {0xC9F2C9CD04674EDF, 0x4062},  // 1E30
    {0xFC6F7C4045812296, 0x4065},  // 1E31
};

const Extended MediumPowers[16] = {
    {0x8000000000000000, 0x3FFF},  // 1E0
    {0x9DC5ADA82B70B59E, 0x4069},  // 1E32
    {0xC2781F49FFCFA6D5, 0x40D3},  // 1E64
    {0xEFB3AB16C59B14A3, 0x413D},  // 1E96
    {0x93BA47C980E98CE0, 0x41A8},  // 1E128
    {0xB616A12B7FE617AA, 0x4212},  // 1E160
    {0xE070F78D3927556B, 0x427C},  // 1E192
    {0x8A5296FFE33CC930, 0x42E7},  // 1E224
    {0xAA7EEBFB9DF9DE8E, 0x4351},  // 1E256
    {0xD226FC195C6A2F8C, 0x43BB},  // 1E288
    {0x81842F29F2CCE376, 0x4426},  // 1E320
    {0x9FA42700DB900AD2, 0x4490},  // 1E352
    {0xC4C5E310AEF8AA17, 0x44FA},  // 1E384
    {0xF28A9C07E9B09C59, 0x4564},  // 1E416
    {0x957A4AE1EBF7F3D4, 0x45CF},  // 1E448
    {0xB83ED8DC0795A262, 0x4639},  // 1E480
};

const Extended LargePowers[10] = {
    {0x8000000000000000, 0x3FFF},  // 1E0
    {0xE319A0AEA60E91C7, 0x46A3},  // 1E512
    {0xC976758681750C17, 0x4D48},  // 1E1024
    {0xB2B8353B3993A7E4, 0x53ED},  // 1E1536
    {0x9E8B3B5DC53D5DE5, 0x5A92},  // 1E2048
    {0x8CA554C020A1F0A6, 0x6137},  // 1E2560
    {0xF9895D25D88B5A8B, 0x67DB},  // 1E3072
    {0xDD5DC8A2BF27F3F8, 0x6E80},  // 1E3584
    {0xC46052028A20979B, 0x7525},  // 1E4096
    {0xAE3511626ED559F0, 0x7BCA},  // 1E4608
};

Extended ScaleByTen(Extended x, int32_t n, FloatFlags& flags) {
  if (n == 0) return x;
  if (n >= kScaleLimit) {
    flags.overflow = true;
    return SignedInfinity(false);
  }
  if (n <= -kScaleLimit) return SignedZero(false);
  const uint32_t m = n > 0 ? uint32_t(n) : uint32_t(-n);
  const auto step = n > 0 ? ExtendedMultiply : ExtendedDivide;
  x = step(x, SmallPowers[m % 32], flags);
  if ((m / 32) % 16 != 0) x = step(x, MediumPowers[(m / 32) % 16], flags);
  if (m / 512 != 0) x = step(x, LargePowers[m / 512], flags);
  return x;
}

Extended ScaleByTen(Extended x, int32_t n) {
  FloatFlags flags;
  return ScaleByTen(x, n, flags);
}

}  // namespace quorvex
