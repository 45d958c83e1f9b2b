#!/usr/bin/env python3
# Typography of the texts the physician reads, over the knowledge sources and the vignette sets:
# the ligature œ where French writes it, "Bêta-HCG", and non-breaking spaces before : ; ? ! and
# inside « » in definitions and treatments. Keyword fields (exp, sup, search) stay as they are:
# typed text is matched without accents. Run from the repository root; running it twice changes
# nothing the second time.
import re,glob,json,sys
WORDS=[(r'oedèm','œdèm'),(r'Oedèm','Œdèm'),(r'oedémat','œdémat'),(r'Oedémat','Œdémat'),
 (r'\boeil','œil'),(r'\bOeil','Œil'),(r'\boeill','œill'),
 (r'coeur','cœur'),(r'Coeur','Cœur'),(r'foet','fœt'),(r'Foet','Fœt'),
 (r'oesophag','œsophag'),(r'Oesophag','Œsophag'),(r'oestro','œstro'),(r'Oestro','Œstro'),(r'oestrog','œstrog'),
 (r'soeur','sœur'),(r'noeud','nœud'),(r'manoeuvre','manœuvre'),(r'Manoeuvre','Manœuvre'),(r'\boeuf','œuf'),(r'boeuf','bœuf'),
 (r'\boeuvre','œuvre'),(r'\bvoeu','vœu'),(r'coelio','cœlio'),(r'Coelio','Cœlio'),(r'coeliaque','cœliaque'),
 (r'\bBeta-HCG','Bêta-HCG'),(r'\bbeta-HCG','bêta-HCG'),(r'\bBeta HCG','Bêta-HCG'),(r'\bbêta HCG','bêta-HCG')]
def words(t):
    for a,b in WORDS: t=re.sub(a,b,t)
    return t
def spaces(t):
    # non-breaking space before : ; ? ! and inside « », in running text only
    t=re.sub(r'[ \u00a0\u202f]*([:;?!])(?=\s|$|\*|\))', lambda m: '\u00a0'+m.group(1), t)
    t=re.sub(r'«[ \u00a0]*','«\u00a0',t); t=re.sub(r'[ \u00a0]*»','\u00a0»',t)
    return t
KEYWORD=re.compile(r'^\s*(exp|sup|search):')
def yaml_file(f):
    lines=open(f).read().split('\n'); out=[]; block=None
    for l in lines:
        m=re.match(r'^([a-z_]+):',l)
        if m: block=m.group(1)
        if KEYWORD.match(l): out.append(l); continue
        nl=words(l)
        if block in ('definition','treatment') and not m:
            # keep the bullet marker and the indentation; a line that is a single ":" stays
            nl=spaces(nl)
        out.append(nl)
    new='\n'.join(out)
    if new!=open(f).read(): open(f,'w').write(new); return 1
    return 0
n=0
for f in glob.glob('knowledge/**/*.yaml',recursive=True): n+=yaml_file(f)
for f in glob.glob('tests/vignettes/*.jsonl'):
    out=[]
    for l in open(f).read().split('\n'):
        if l.startswith('{'):
            d=json.loads(l)
            d['expected']=words(d['expected'])
            if 'exams' in d: d['exams']=[words(e) for e in d['exams']]
            l=json.dumps(d,ensure_ascii=False)
        out.append(l)
    new='\n'.join(out)
    if new!=open(f).read(): open(f,'w').write(new); n+=1
print(n,'files changed')
