#pragma once
// The region formats: the "locale" section of the preferences file, read and written on its own.
// No field is required; every default is the first value of its enumeration.
#include "orvo_json/record.h"
#include "orvo_json/variant.h"
#include "preferences/enum_names.h"

namespace settings::preferences {

enum class Currency { USD, EUR, GBP, JPY, CHF, CAD, AUD, CNY, INR };
// ISO is year-month-day with hyphens, US month/day/year, EU day/month/year, Long day, abbreviated
// month name and year.
enum class DateFormat { ISO, US, EU, Long };
enum class TimeFormat { H24, H12 };
enum class Measurement { Metric, Imperial };
enum class NumberStyle { DecimalPoint, DecimalComma };
enum class FirstDayOfWeek { Monday, Sunday, Saturday };

constexpr auto describe_json(orvo_json::Tag<Currency>) {
  return orvo_json::unit_enum<Currency>("Currency", {{"USD", Currency::USD},
                                                     {"EUR", Currency::EUR},
                                                     {"GBP", Currency::GBP},
                                                     {"JPY", Currency::JPY},
                                                     {"CHF", Currency::CHF},
                                                     {"CAD", Currency::CAD},
                                                     {"AUD", Currency::AUD},
                                                     {"CNY", Currency::CNY},
                                                     {"INR", Currency::INR}});
}

constexpr auto describe_json(orvo_json::Tag<DateFormat>) {
  return orvo_json::unit_enum<DateFormat>(
      "DateFormat",
      {{"ISO", DateFormat::ISO}, {"US", DateFormat::US}, {"EU", DateFormat::EU}, {"Long", DateFormat::Long}});
}

constexpr auto describe_json(orvo_json::Tag<TimeFormat>) {
  return orvo_json::unit_enum<TimeFormat>("TimeFormat", {{"H24", TimeFormat::H24}, {"H12", TimeFormat::H12}});
}

constexpr auto describe_json(orvo_json::Tag<Measurement>) {
  return orvo_json::unit_enum<Measurement>("Measurement",
                                           {{"Metric", Measurement::Metric}, {"Imperial", Measurement::Imperial}});
}

constexpr auto describe_json(orvo_json::Tag<NumberStyle>) {
  return orvo_json::unit_enum<NumberStyle>(
      "NumberStyle", {{"DecimalPoint", NumberStyle::DecimalPoint}, {"DecimalComma", NumberStyle::DecimalComma}});
}

constexpr auto describe_json(orvo_json::Tag<FirstDayOfWeek>) {
  return orvo_json::unit_enum<FirstDayOfWeek>(
      "FirstDayOfWeek",
      {{"Monday", FirstDayOfWeek::Monday}, {"Sunday", FirstDayOfWeek::Sunday}, {"Saturday", FirstDayOfWeek::Saturday}});
}

struct Locale {
  Currency currency = Currency::USD;
  DateFormat date_format = DateFormat::ISO;
  TimeFormat time_format = TimeFormat::H24;
  Measurement measurement = Measurement::Metric;
  NumberStyle number_style = NumberStyle::DecimalPoint;
  FirstDayOfWeek first_day_of_week = FirstDayOfWeek::Monday;

  bool operator==(const Locale&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<Locale>) {
  using orvo_json::defaulted_field;
  return orvo_json::record<Locale>(
      "Locale", defaulted_field("currency", &Locale::currency), defaulted_field("date_format", &Locale::date_format),
      defaulted_field("time_format", &Locale::time_format), defaulted_field("measurement", &Locale::measurement),
      defaulted_field("number_style", &Locale::number_style),
      defaulted_field("first_day_of_week", &Locale::first_day_of_week));
}

}  // namespace settings::preferences
