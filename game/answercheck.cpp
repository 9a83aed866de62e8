#include "answercheck.h"

#include "gamestate.h"

CheckResult checkAnswer(GameState &state, const QString &typed, const QString &expected)
{
    CheckResult result;
    if (state.current.judged)
        return result;
    state.current.judged = true;
    result.counted = true;
    result.right = typed == expected;
    if (result.right) {
        state.rightCount = saturatingIncrement(state.rightCount);
        result.message = QStringLiteral("Esatto, è incredibile!!!");
    } else {
        state.wrongCount = saturatingIncrement(state.wrongCount);
        result.message = QStringLiteral("Sbagliato!! ") + expected;
        result.blankBackground = true;
    }
    result.rightText = QString::number(state.rightCount);
    result.wrongText = QString::number(state.wrongCount);
    result.totalText = QString::number(saturatingSum(state.rightCount, state.wrongCount));
    return result;
}
