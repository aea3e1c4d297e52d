/* Prints every word of a pocketsphinx language model with its unigram log probability, one
 * "score word" per line, so that the most frequent words can be picked out. */
#include <pocketsphinx.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: rank_words MODEL.lm.bin\n");
    return 2;
  }
  err_set_logfp(NULL);
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  ngram_model_t* model = ngram_model_read(NULL, argv[1], NGRAM_AUTO, lmath);
  if (model == NULL) {
    fprintf(stderr, "rank_words: cannot read %s\n", argv[1]);
    return 1;
  }
  const int32* counts = ngram_model_get_counts(model);
  for (int32 i = 0; i < counts[0]; ++i) {
    const char* word = ngram_word(model, i);
    printf("%d %s\n", ngram_score(model, word, NULL), word);
  }
  ngram_model_free(model);
  logmath_free(lmath);
  return 0;
}
