#include "core/conversion.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/paramtable.h"
#include "core/settings.h"
#include "tools/fatal.h"
#include "tools/numeric.h"

namespace dtool {

namespace {

struct TDispUnitCode {
  TUnit Unit;
  std::uint16_t Code;
};

// In ascending unit order: the reverse lookup takes the first match.
constexpr std::array<TDispUnitCode, 11> DispUnitCodes{{
    {unit::Pa, 1},
    {unit::mbar, 2},
    {unit::mmHg, 3},
    {unit::mmH20, 4},
    {unit::psi, 5},
    {unit::inchHg, 6},
    {unit::inchH2O, 7},
    {unit::m_s, 8},
    {unit::km_h, 9},
    {unit::feet_s, 10},
    {unit::knots, 11},
}};

template <typename T> T Load(const std::uint8_t* at) {
  T v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

template <typename T> void Store(std::uint8_t* at, T v) {
  std::memcpy(at, &v, sizeof v);
}

// The class-2/3 row of the same field as a class-1 row.
const TParamRow& Class23RowOf(const TParamRow& row) {
  for (const auto& r : Class23ParamTable)
    if (std::string_view(r.Field) == row.Field)
      return r;
  FatalStop("procedure TSettings.GenOoCc: Wrong parameter! ");
}

} // namespace

std::optional<std::uint16_t> ConvInstDispUnit(TUnit u) {
  for (const auto& entry : DispUnitCodes)
    if (entry.Unit == u)
      return entry.Code;
  return std::nullopt;
}

std::optional<TUnit> ConvInstDispUnitToTUnit(int code) {
  for (const auto& entry : DispUnitCodes)
    if (entry.Code == code)
      return entry.Unit;
  return std::nullopt;
}

std::string FormatVersion(const TransRec& rec, bool twoDigitMinor) {
  const int digits = twoDigitMinor ? 2 : 1;
  char text[16];
  std::snprintf(text, sizeof text, "%2.2u.%*.*u", static_cast<unsigned>(rec.BB()), digits, digits,
                static_cast<unsigned>(rec.AA()));
  return text;
}

std::uint8_t* TSettings::ParamStorage(const TParam& param, const TParamRow& row) {
  if (param.Store() == TParamStore::Wizard || param.Store() == TParamStore::WizardOfCurrentClass)
    return param.ScratchValue();
  const bool original = param.Store() == TParamStore::Original;
  std::uint8_t* base = nullptr;
  switch (row.Record) {
  case TParamRecord::Class1:
    base = reinterpret_cast<std::uint8_t*>(original ? &OrigClass1 : &Class1);
    break;
  case TParamRecord::Class23:
    base = reinterpret_cast<std::uint8_t*>(original ? &OrigClass23 : &Class23);
    break;
  case TParamRecord::InstInfo:
    base = reinterpret_cast<std::uint8_t*>(&InstInfo);
    break;
  }
  return base + row.Offset;
}

std::uint8_t& TSettings::ParamFlag(const TParam& param) {
  const TParamRow& row = ParamRowOf(param);
  if (row.Partype != partype::Flag)
    FatalStop("TSettings.ParamFlag: No flag parameter! ");
  return *ParamStorage(param, row);
}

void TSettings::GenOoCc(TransRec& rec, const TParam& param, bool write) const {
  if (!IsKnownParam(param) || ParamRowOf(param).Record == TParamRecord::InstInfo)
    FatalStop("procedure TSettings.GenOoCc: Wrong parameter! ");
  const TParamRow* row = &ParamRowOf(param);
  const int cls = GetInstClass();
  if (param.Store() == TParamStore::WizardOfCurrentClass &&
      (cls == ClassStatic || cls == ClassStaticZ))
    row = &Class23RowOf(*row);
  rec.OO = row->OO;
  rec.CC = row->CC;
  if (row->Partype == partype::Flag)
    rec.BBAA = static_cast<std::uint16_t>(row->BB << 8);
  if (write)
    rec.OO = static_cast<std::uint8_t>(rec.OO + WriteCodeOffset);
}

TConvResult TSettings::ConvInst(TransRec& rec, const TParam& param, bool toInstrument) {
  const TParamRow& row = ParamRowOf(param);
  std::uint8_t* field = ParamStorage(param, row);

  if (row.Insttype == insttype::Half) {
    if (row.Partype != partype::Half)
      FatalStop("TSettings.ConvInst: Can't convert Tf32! ");
    if (toInstrument)
      rec.BBAA = Load<std::uint16_t>(field);
    else
      Store<std::uint16_t>(field, rec.BBAA);
    return TConvResult::Done;
  }

  if (toInstrument) {
    double value = 0;
    switch (row.Partype) {
    case partype::Int32:
      value = Load<std::int32_t>(field);
      break;
    case partype::F64:
      value = Load<double>(field);
      break;
    case partype::DispUnit: {
      const auto code = ConvInstDispUnit(*field);
      if (!code)
        return TConvResult::Invalid;
      value = *code;
      break;
    }
    case partype::Bool:
      value = *field != 0 ? 1 : 0;
      break;
    default:
      FatalStop("TSettings.ConvInst: Partype unknown! ");
    }
    if (row.Partype != partype::Bool)
      value *= row.Factor;
    // Rounded first, then limited: a value the instrument reported (32767 counts read back as
    // 32.767000000000003) goes back as the same counts, not as a correction.
    value = RoundHalfEven(value);
    bool limited = false;
    switch (row.Insttype) {
    case insttype::Word:
      limited = LimitValue(value, 0, 65535);
      break;
    case insttype::Signed:
      limited = LimitValue(value, -32768, 32767);
      break;
    case insttype::Byte:
      limited = LimitValue(value, 0, 255);
      break;
    default:
      FatalStop("TSettings.ConvInst: Insttype unknown! ");
    }
    // The value lies in -32768..65535; its low 16 bits are the register pattern.
    const auto counts = static_cast<std::int32_t>(value);
    rec.BBAA = static_cast<std::uint16_t>(counts & 0xFFFF);
    return limited ? TConvResult::Limited : TConvResult::Done;
  }

  double value = 0;
  switch (row.Insttype) {
  case insttype::Word:
    value = rec.BBAA;
    break;
  case insttype::Signed:
    value = static_cast<std::int16_t>(rec.BBAA);
    break;
  case insttype::Byte:
    value = rec.AA();
    break;
  default:
    FatalStop("TSettings.ConvInst: Insttype unknown! #1");
  }
  value /= row.Factor;
  switch (row.Partype) {
  case partype::Int32:
    Store<std::int32_t>(field, static_cast<std::int32_t>(RoundHalfEven(value)));
    break;
  case partype::F64:
    Store<double>(field, value);
    break;
  case partype::DispUnit: {
    const auto u = ConvInstDispUnitToTUnit(static_cast<int>(RoundHalfEven(value)));
    if (!u)
      return TConvResult::Invalid;
    *field = *u;
    break;
  }
  case partype::Bool:
    *field = rec.AA();
    break;
  default:
    FatalStop("TSettings.ConvInst: Partype unknown! #1");
  }
  return TConvResult::Done;
}

} // namespace dtool
