#pragma once

namespace vesk {

// Texts of the rendering job: the status text and the refusals raised before
// a job starts (as VeskError). Kept together so that wording stays uniform.
inline constexpr const char* kBuildingImageStatus = "Построение изображения";

inline constexpr const char* kAreaStepNotPositive = "Шаг области построения должен быть положительным числом!";
inline constexpr const char* kAreaBoundsWrong = "Границы области построения заданы неправильно!";
inline constexpr const char* kAreaXReversed = "Минимум x области построения должен быть меньше максимума!";
inline constexpr const char* kAreaYReversed = "Минимум y области построения должен быть меньше максимума!";
inline constexpr const char* kAreaSmallerThanStep = "Область построения меньше одного шага!";
inline constexpr const char* kAreaTooLarge = "Область построения слишком велика для заданного шага!";
inline constexpr const char* kAreaStepTooFine = "Шаг области построения слишком мал для её границ!";
inline constexpr const char* kPhotographEmpty = "Снимок не содержит изображения!";
inline constexpr const char* kPhotographTooLarge = "Снимок слишком велик!";
inline constexpr const char* kResultTooLarge = "Изображение слишком велико: недостаточно памяти для построения!";
inline constexpr const char* kRenderArithmeticFault =
    "Построение прервано: преобразование не определено (деление на ноль или переполнение)!";
inline constexpr const char* kResultEmpty = "Изображение не построено: результат пуст!";
inline constexpr const char* kPhotographUnreadable = "Файл не удаётся прочитать как изображение!";
inline constexpr const char* kResultNotWritten = "Не удаётся записать изображение!";
inline constexpr const char* kOriginUnknown = "Неизвестный способ построения преобразований!";
inline constexpr const char* kAnaglyphMethodUnknown = "Неизвестный способ составления анаглифа!";
inline constexpr const char* kStereoFormatUnknown = "Неизвестный стереоформат!";
inline constexpr const char* kStereoNeedsAnaglyph =
    "Сдвиг стереоокна, обрезка по общей части и стереоформаты применимы только к анаглифическим построениям!";
inline constexpr const char* kNoCommonPart = "У изображений двух снимков нет общей части!";

}  // namespace vesk
